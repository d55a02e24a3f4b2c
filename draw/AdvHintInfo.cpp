#include "AdvHintInfo.h"

#include <windows.h>

#include "core/TypeInfo.h"

namespace draw {

using namespace classlib;

CLASSLIB_PUBLISH(TAdvHintInfo)
{
    c.Property("Picture", &TAdvHintInfo::Picture, &TAdvHintInfo::SetPicture);
    c.Property("ShowHelp", &TAdvHintInfo::ShowHelp, &TAdvHintInfo::SetShowHelp).SetDefault(false);
    c.Property("Notes", &TAdvHintInfo::Notes, &TAdvHintInfo::SetNotes);
    c.Property("Title", &TAdvHintInfo::Title, &TAdvHintInfo::SetTitle);
}

TAdvHintInfo::TAdvHintInfo()
    : picture_(std::make_unique<TGDIPPicture>()), notes_(std::make_unique<TStringList>())
{
}

TAdvHintInfo::~TAdvHintInfo() = default;

void TAdvHintInfo::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TAdvHintInfo*>(source);
    // Copying from itself would empty the notes and the picture before copying them.
    if (!other || other == this)
        return;
    title_ = other->title_;
    notes_->Assign(other->notes_.get());
    showHelp_ = other->showHelp_;
    picture_->Assign(other->picture_.get());
    wideTitle_ = other->wideTitle_;
    wideNotes_ = other->wideNotes_;
}

bool IsVistaOrLater()
{
    HMODULE kernel = GetModuleHandleA("kernel32");
    return kernel != nullptr && GetProcAddress(kernel, "GetLocaleInfoEx") != nullptr;
}

} // namespace draw
