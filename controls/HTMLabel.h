#pragma once
// HTML label: for now draws its markup as plain text in the markup's first colour (bold when
// the markup starts bold), word-wrapped; the renderer comes with the label's own work.
// The reflection label and version label of the main window are here too.
#include "windows/ExtCtrls.h"
#include "windows/StdCtrls.h"

namespace controls {

class THTMLabel : public classlib::TGraphicControl {
    CLASSLIB_CLASS(THTMLabel, classlib::TGraphicControl)
    explicit THTMLabel(classlib::TComponent* owner);
    ~THTMLabel() override;

    classlib::TStringList* HTMLText() const { return htmlText_; }
    void SetHTMLText(classlib::TStringList* value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);

protected:
    void Paint() override;

private:
    void TextChanged(classlib::TObject*);
    classlib::TStringList* htmlText_;
    bool transparent_ = true;
};

class TAdvReflectionLabel : public THTMLabel {
    CLASSLIB_CLASS(TAdvReflectionLabel, THTMLabel)
    explicit TAdvReflectionLabel(classlib::TComponent* owner) : THTMLabel(owner) {}
    int ReflectionAxis() const { return reflectionAxis_; }
    void SetReflectionAxis(int value) { reflectionAxis_ = value; }

private:
    int reflectionAxis_ = 0;
};

class TOcLabel : public classlib::TLabel {
    CLASSLIB_CLASS(TOcLabel, classlib::TLabel)
    explicit TOcLabel(classlib::TComponent* owner) : TLabel(owner) {}
};

} // namespace controls
