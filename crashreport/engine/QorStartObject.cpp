// The engine's place in the program's start-up order: first of all static objects (the
// highest initialisation priority; linked whole, so the object is never dropped), after a
// restart waiting for the previous instance and taking over its exception times, and with
// the engine's temporary folder emptied; then the
// function listing becomes the report's disassembler and the "modules", "processes" and
// "hardware" plugins are registered. Stopped last, in the reverse order.
#include "ExceptionPathSystem.h"
#include "QorLibrary.h"
#include "QorLinkDisAsm.h"
#include "QorPluginSections.h"
#include "QorRestart.h"

namespace {

struct EngineStart {
    EngineStart()
    {
        qor::TakeOverRestart();
        qor::ClearLibraryTempFolder();
        qor::StartLibrary();
        qor::LinkDisassemblyListing();
        qor::StartReportPlugins();
    }
    ~EngineStart()
    {
        qor::StopReportPlugins();
        qor::UnlinkDisassemblyListing();
        qor::StopLibrary();
    }
};

__attribute__((init_priority(101))) EngineStart engineStart;

} // namespace
