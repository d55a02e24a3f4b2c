#pragma once
// Task dialog: title, instruction, content and expanded text shown modally with an OK button.
// For now always shown as a message box (the emulated dialog form comes with the dialog's own
// work).
#include "core/Component.h"

#include <string>

namespace panels {

class TAdvTaskDialog : public classlib::TComponent {
    CLASSLIB_CLASS(TAdvTaskDialog, classlib::TComponent)
    explicit TAdvTaskDialog(classlib::TComponent* owner) : TComponent(owner) {}

    // Written directly, without change handling.
    std::string Title;
    const std::string& Instruction() const { return instruction_; }
    void SetInstruction(const std::string& value) { instruction_ = value; }
    const std::string& Content() const { return content_; }
    void SetContent(const std::string& value) { content_ = value; }
    const std::string& ExpandedText() const { return expandedText_; }
    void SetExpandedText(const std::string& value) { expandedText_ = value; }
    std::string ExpandControlText;
    std::string CollapseControlText;
    int DefaultRadioButton = 200;

    // Shows the dialog and returns when it is closed; the result is the button's identifier.
    virtual int Execute();

private:
    std::string instruction_;
    std::string content_;
    std::string expandedText_;
};

} // namespace panels
