#pragma once
// TAdvReflectionLabel: an HTML label that draws under its text a mirror image of that text
// fading out downwards. The mirror is copied from the painted canvas after a change, flipped,
// given a per-row alpha fade and drawn through GDI+ before the text on every later paint.
#include "HTMLabel.h"

namespace draw {
class TGPBitmap;
}

namespace controls {

// The alpha factor of reflection row `row` of a text `height` rows tall: 255 / height x
// (height - row), rounded half to even, minus `reflection`, kept within 0..255.
int ReflectionRowAlpha(int row, int height, int reflection);

class TAdvReflectionLabel : public TCustomHTMLabel {
    CLASSLIB_CLASS(TAdvReflectionLabel, TCustomHTMLabel)
    CLASSLIB_MESSAGES()
    explicit TAdvReflectionLabel(classlib::TComponent* owner);
    ~TAdvReflectionLabel() override;

    uint32_t GetVersionNr() const override { return 0x01000003; }
    void SetHTMLText(classlib::TStrings* value) override;
    int Reflection() const { return reflection_; }
    void SetReflection(int value);
    int ReflectionAxis() const { return reflectionAxis_; }
    void SetReflectionAxis(int value);
    void SetName(const std::string& name) override;

    // The faded mirror image (none before the first paint of a text).
    draw::TGPBitmap* ReflectionBitmap() const { return reflectionBitmap_.get(); }
    int ReflectionOffset() const { return reflectionOffset_; }
    int LastTextWidth() const { return lastTextWidth_; }
    int LastTextHeight() const { return lastTextHeight_; }

protected:
    void Loaded() override;
    void Paint() override;
    void Resize() override;
    bool DrawHtml(html::HtmlDrawRequest& request, html::HtmlDrawResult& result) override;
    void HTMLTextChanged(classlib::TObject*) override;
    void ImageListChanged(classlib::TObject*) override;
    void CMFontChanged(classlib::TMessage& m);

private:
    void InvalidateReflection();
    void BuildReflectionBitmap();

    int lastTextWidth_ = 0;
    int lastTextHeight_ = 0;
    int reflectionOffset_ = 0;
    std::unique_ptr<draw::TGPBitmap> reflectionBitmap_;
    int reflection_ = 100;
    int reflectionAxis_ = -7;
    bool rebuildPending_ = false;
};

} // namespace controls
