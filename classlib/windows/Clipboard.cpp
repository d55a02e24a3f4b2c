#include "windows/Clipboard.h"

#include "windows/Images.h"
#include "windows/WindowProcs.h"

#include <cstring>

namespace classlib {

CLASSLIB_PUBLISH(TClipboard) {}

namespace {

// Closes one opening of the clipboard when a scope ends, also by an exception.
class OpenedClipboard {
public:
    explicit OpenedClipboard(TClipboard& clipboard) : clipboard_(clipboard) { clipboard_.Open(); }
    ~OpenedClipboard() { clipboard_.Close(); }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;

private:
    TClipboard& clipboard_;
};

void IgnoreMessages(TMessage&) {}

} // namespace

TClipboard::~TClipboard()
{
    if (openCount_ > 0)
        CloseClipboard();
    if (window_)
        DeallocateHWnd(window_);
}

void TClipboard::Open()
{
    if (openCount_ == 0) {
        // With no owner window, emptying the clipboard leaves it without owner and
        // SetClipboardData fails: the clipboard object has a window of its own.
        if (!window_)
            window_ = AllocateHWnd(TWndMethod(&IgnoreMessages));
        if (!OpenClipboard(window_))
            throw EClipboardException("Cannot open clipboard");
        emptied_ = false;
    }
    ++openCount_;
}

void TClipboard::Close()
{
    if (openCount_ == 0)
        return;
    if (--openCount_ == 0)
        CloseClipboard();
}

void TClipboard::Clear()
{
    OpenedClipboard opened(*this);
    EmptyClipboard();
    emptied_ = true;
}

void TClipboard::Adding()
{
    if (!emptied_) {
        EmptyClipboard();
        emptied_ = true;
    }
}

bool TClipboard::HasFormat(UINT format)
{
    return IsClipboardFormatAvailable(format) != FALSE;
}

int TClipboard::FormatCount()
{
    return CountClipboardFormats();
}

UINT TClipboard::Formats(int index)
{
    OpenedClipboard opened(*this);
    UINT format = 0;
    for (int i = 0; i <= index; ++i) {
        format = EnumClipboardFormats(format);
        if (!format)
            break;
    }
    return format;
}

std::string TClipboard::AsText()
{
    OpenedClipboard opened(*this);
    HANDLE data = GetClipboardData(CF_TEXT);
    if (!data)
        return {};
    const auto* text = static_cast<const char*>(GlobalLock(data));
    if (!text)
        return {};
    // The block may be larger than the text, and a foreign one may lack the terminating zero.
    const size_t size = GlobalSize(data);
    const std::string result(text, strnlen(text, size));
    GlobalUnlock(data);
    return result;
}

void TClipboard::SetAsText(const std::string& text)
{
    SetBuffer(CF_TEXT, text.c_str(), text.size() + 1);
}

HANDLE TClipboard::GetAsHandle(UINT format)
{
    OpenedClipboard opened(*this);
    return GetClipboardData(format);
}

void TClipboard::SetAsHandle(UINT format, HANDLE data)
{
    OpenedClipboard opened(*this);
    Adding();
    if (!SetClipboardData(format, data))
        throw EClipboardException("Cannot set clipboard data");
}

void TClipboard::SetBuffer(UINT format, const void* buffer, size_t size)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
    if (!block)
        throw EOutOfResources("Out of memory");
    void* target = GlobalLock(block);
    if (size)
        std::memcpy(target, buffer, size);
    GlobalUnlock(block);
    try {
        SetAsHandle(format, block);
    } catch (...) {
        GlobalFree(block);
        throw;
    }
}

void TClipboard::Assign(TPersistent* source)
{
    if (auto* picture = dynamic_cast<TPicture*>(source)) {
        if (picture->Graphic())
            AssignGraphic(picture->Graphic());
        return;
    }
    if (dynamic_cast<TGraphic*>(source)) {
        AssignGraphic(source);
        return;
    }
    TPersistent::Assign(source);
}

void TClipboard::AssignGraphic(TPersistent* source)
{
    auto* graphic = static_cast<TGraphic*>(source);
    OpenedClipboard opened(*this);
    Adding();
    UINT format = 0;
    HANDLE data = nullptr;
    HPALETTE palette = nullptr;
    graphic->SaveToClipboardFormat(format, data, palette);
    if (!data)
        return;
    if (!SetClipboardData(format, data)) {
        DeleteObject(data);
        if (palette)
            DeleteObject(palette);
        throw EClipboardException("Cannot set clipboard data");
    }
    if (palette && !SetClipboardData(CF_PALETTE, palette))
        DeleteObject(palette);
}

void TClipboard::AssignTo(TPersistent* dest) const
{
    // Reading changes nothing a user of the clipboard sees; the opening count is bookkeeping.
    auto& self = const_cast<TClipboard&>(*this);
    if (auto* picture = dynamic_cast<TPicture*>(dest)) {
        OpenedClipboard opened(self);
        for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) {
            if (TPicture::SupportsClipboardFormat(format)) {
                picture->LoadFromClipboardFormat(
                    format, GetClipboardData(format),
                    static_cast<HPALETTE>(GetClipboardData(CF_PALETTE)));
                return;
            }
        }
        throw EInvalidGraphic("Unsupported clipboard format");
    }
    if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
        OpenedClipboard opened(self);
        bitmap->LoadFromClipboardFormat(CF_BITMAP, GetClipboardData(CF_BITMAP),
                                        static_cast<HPALETTE>(GetClipboardData(CF_PALETTE)));
        return;
    }
    TPersistent::AssignTo(dest);
}

TClipboard* Clipboard()
{
    // Never freed: its window belongs to the window registry, which static destruction may
    // already have taken down at exit; the process's end removes the window.
    static TClipboard* clipboard = new TClipboard;
    return clipboard;
}

} // namespace classlib
