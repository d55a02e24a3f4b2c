// Rich ("office") hint data shared by the styled controls, and the Vista probe that chooses
// their control font.
#pragma once

#include <memory>
#include <string>

#include "GDIPicture.h"
#include "core/StringList.h"
#include "core/SysUtils.h"

namespace draw {

// Title, lines of notes, a picture and a help flag. Controls that offer a rich hint own one
// as their OfficeHint property and copy it between each other with Assign.
class TAdvHintInfo : public classlib::TPersistent {
    CLASSLIB_CLASS(TAdvHintInfo, classlib::TPersistent)
    TAdvHintInfo();
    ~TAdvHintInfo() override;

    // Copies everything from another hint info; any other source (or none) changes nothing
    // and raises nothing.
    void Assign(classlib::TPersistent* source) override;

    TGDIPPicture* Picture() const { return picture_.get(); }
    // Assigns to the owned picture; none clears it.
    void SetPicture(TGDIPPicture* picture) { picture_->Assign(picture); }
    bool ShowHelp() const { return showHelp_; }
    void SetShowHelp(bool value) { showHelp_ = value; }
    classlib::TStrings* Notes() const { return notes_.get(); }
    // Copies the lines; the list object stays the same.
    void SetNotes(classlib::TStrings* notes) { notes_->Assign(notes); }
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }
    // Wide texts: carried by Assign only.
    const classlib::WideString& WideTitle() const { return wideTitle_; }
    void SetWideTitle(const classlib::WideString& value) { wideTitle_ = value; }
    const classlib::WideString& WideNotes() const { return wideNotes_; }
    void SetWideNotes(const classlib::WideString& value) { wideNotes_ = value; }

private:
    std::unique_ptr<TGDIPPicture> picture_;
    bool showHelp_ = false;
    std::unique_ptr<classlib::TStringList> notes_;
    std::string title_;
    classlib::WideString wideTitle_;
    classlib::WideString wideNotes_;
};

// True when the already loaded kernel32 exports GetLocaleInfoEx (Windows Vista and later).
// Asked anew on every call.
bool IsVistaOrLater();

} // namespace draw
