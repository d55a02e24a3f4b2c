#pragma once
// Office status bar: a bar of panels along the bottom of its form. A panel draws its text, or,
// with style psOwnerDraw, is painted by OnDrawPanel on the bar's canvas.
#include "core/Collection.h"
#include "core/Events.h"
#include "windows/Controls.h"

#include <string>

namespace panels {

class TAdvOfficeStatusBar;

enum TAdvOfficeStatusPanelStyle { psText, psOwnerDraw };
CLASSLIB_ENUM(TAdvOfficeStatusPanelStyle);

class TAdvOfficeStatusPanel : public classlib::TCollectionItem {
    CLASSLIB_CLASS(TAdvOfficeStatusPanel, classlib::TCollectionItem)
    explicit TAdvOfficeStatusPanel(classlib::TCollection* collection) : TCollectionItem(collection) {}

    const std::string& Text() const { return text_; }
    // An equal text changes nothing; another one is stored and the bar repaints the panel.
    void SetText(const std::string& value);
    int Width() const { return width_; }
    void SetWidth(int value);
    TAdvOfficeStatusPanelStyle Style() const { return style_; }
    void SetStyle(TAdvOfficeStatusPanelStyle value);
    void Assign(classlib::TPersistent* source) override;

private:
    std::string text_;
    int width_ = 50;
    TAdvOfficeStatusPanelStyle style_ = psText;
};

class TAdvOfficeStatusPanels : public classlib::TOwnedCollection {
    CLASSLIB_CLASS(TAdvOfficeStatusPanels, classlib::TOwnedCollection)
    explicit TAdvOfficeStatusPanels(TAdvOfficeStatusBar* bar);
    TAdvOfficeStatusPanel* operator[](int index) const
    {
        return static_cast<TAdvOfficeStatusPanel*>(Items(index));
    }

protected:
    void Update(classlib::TCollectionItem* item) override;

private:
    TAdvOfficeStatusBar* bar_;
};

using TDrawPanelEvent = classlib::TEvent<void(TAdvOfficeStatusBar* StatusBar, TAdvOfficeStatusPanel* Panel,
                                              const RECT& Rect)>;

class TAdvOfficeStatusBar : public classlib::TCustomControl {
    CLASSLIB_CLASS(TAdvOfficeStatusBar, classlib::TCustomControl)
    CLASSLIB_MESSAGES()
    explicit TAdvOfficeStatusBar(classlib::TComponent* owner);
    ~TAdvOfficeStatusBar() override;

    TAdvOfficeStatusPanels* Panels() const { return panels_; }
    void SetPanels(TAdvOfficeStatusPanels* value) { panels_->Assign(value); }
    const std::string& SimpleText() const { return simpleText_; }
    void SetSimpleText(const std::string& value);
    bool SimplePanel() const { return simplePanel_; }
    void SetSimplePanel(bool value);
    // The rectangle of panel `index` in client coordinates.
    RECT PanelRect(int index) const;

    TDrawPanelEvent OnDrawPanel;

protected:
    void Paint() override;
    void WMEraseBkgnd(classlib::TMessage& m);

private:
    TAdvOfficeStatusPanels* panels_;
    std::string simpleText_;
    bool simplePanel_ = false;
};

} // namespace panels
