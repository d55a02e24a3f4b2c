#pragma once
// The crash-report wizard on the window system's own controls: pages (INVForm) built from
// their form resources with their items, and the wizard (INVWizard) that runs them in order.
// Windows only; the resource reader and the layout rules are WizardFormResource.h's.
#include "NVAssistantInterfaces.h"

#include <windows.h>

#include <string>
#include <vector>

namespace crashui {

// The wizard of the pages named (resources "TQE" + the upper-case name) of `module`.
classlib::TInterfacePtr<INVWizard> BuildAssistant(HMODULE module, const std::string& title,
                                                  const std::vector<std::string>& pageNames,
                                                  void* reportedException);
// The wizard of the given resource texts (one per page).
classlib::TInterfacePtr<INVWizard> MakeAssistant(const std::string& title,
                                                 const std::vector<std::string>& resources,
                                                 void* reportedException);

constexpr char kAssistantWindowClass[] = "qorNVAssistantWnd";

} // namespace crashui
