#pragma once
// The system clipboard as an object: text, raw formats, and graphics through their clipboard
// formats. Opening nests: the clipboard is opened by the first Open and closed by the last
// Close; the first thing added inside one opening empties it, later additions join it.
#include "windows/Graphics.h"

#include "core/Exceptions.h"

#include <string>

namespace classlib {

// The clipboard could not be opened ("Cannot open clipboard") or refused data.
CLASSLIB_DECLARE_EXCEPTION(EClipboardException, Exception);

class TClipboard : public TPersistent {
    CLASSLIB_CLASS(TClipboard, TPersistent)
    TClipboard() = default;
    ~TClipboard() override;

    void Open();
    void Close();
    int OpenCount() const { return openCount_; }
    // Empties the clipboard.
    void Clear();

    bool HasFormat(UINT format);
    int FormatCount();
    UINT Formats(int index);

    // CF_TEXT; empty when the clipboard holds no text.
    std::string AsText();
    void SetAsText(const std::string& text);
    // The data handle of a format (owned by the clipboard), or null.
    HANDLE GetAsHandle(UINT format);
    // Hands `data` to the clipboard, which owns it from then on.
    void SetAsHandle(UINT format, HANDLE data);
    // Copies `size` bytes into a new clipboard block of `format`.
    void SetBuffer(UINT format, const void* buffer, size_t size);

    // From a graphic (TGraphic or TPicture): the graphic's clipboard format and palette.
    void Assign(TPersistent* source) override;

protected:
    // Into a TPicture (the first clipboard format a picture supports) or a TBitmap (CF_BITMAP).
    void AssignTo(TPersistent* dest) const override;

private:
    void Adding();
    void AssignGraphic(TPersistent* graphic);

    HWND window_ = nullptr; // owner of what this object puts on the clipboard
    int openCount_ = 0;
    bool emptied_ = false;
};

// The program's clipboard object, created on first use.
TClipboard* Clipboard();

} // namespace classlib
