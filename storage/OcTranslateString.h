#pragma once
// Expands commands written between delimiters (by default %DATE%, %EXENAME%, ...) into values
// of the running program: its version resource, its file name and folder, the date and time,
// the owning form and the screen. The storages pass their file names through it.
#include "core/Component.h"
#include "core/Events.h"

#include <optional>
#include <string>

namespace storage {

// (Sender, Command upper-cased and trimmed, CommandResult, Changed): may replace the result
// and decide whether the command counts as handled.
using TProcessCommandEvent =
    classlib::TEvent<void(classlib::TObject*, const std::string&, std::string&, bool&)>;

class TOcTranslateString : public classlib::TComponent {
    CLASSLIB_CLASS(TOcTranslateString, classlib::TComponent)
public:
    explicit TOcTranslateString(classlib::TComponent* owner);

    std::string ExpandText(std::string_view text);
    // True (and `commandResult` set) when the command is known or the event says so.
    bool ExpandCommand(const std::string& command, std::string& commandResult);

    std::string DateFormat = "dd_mm_yyyy";
    std::string TimeFormat = "hh_nn_ss";
    std::string LeftDelimiter = "%";
    std::string RightDelimiter = "%";
    const std::string& GetDateTimeFormat() const { return dateTimeFormat_; }
    void SetDateTimeFormat(const std::string& value) { dateTimeFormat_ = value; }
    TProcessCommandEvent OnProcessCommand;

private:
    // A value of the executable's version resource (standard key number), read once.
    std::string VersionValue(std::optional<std::string>& cache, const char* command, int keyNumber,
                             const char* replacement);
    std::string OwningFormProperty(bool caption) const;

    std::string dateTimeFormat_ = "dd_mm_yyyy hh_nn_ss";
    std::optional<std::string> cachedProductName_;
    std::optional<std::string> cachedCompanyName_;
    std::optional<std::string> cachedFileVersion_;
    std::optional<std::string> cachedProductVersion_;
};

} // namespace storage
