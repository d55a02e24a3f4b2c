#include "AdvTaskDialog.h"

#include "core/TypeInfo.h"

#include <windows.h>

using namespace classlib;

namespace panels {

CLASSLIB_PUBLISH(TAdvTaskDialog)
{
    c.Property("Title", &TAdvTaskDialog::Title);
    c.Property("Instruction", &TAdvTaskDialog::Instruction, &TAdvTaskDialog::SetInstruction);
    c.Property("Content", &TAdvTaskDialog::Content, &TAdvTaskDialog::SetContent);
    c.Property("ExpandedText", &TAdvTaskDialog::ExpandedText, &TAdvTaskDialog::SetExpandedText);
    c.Property("ExpandControlText", &TAdvTaskDialog::ExpandControlText);
    c.Property("CollapseControlText", &TAdvTaskDialog::CollapseControlText);
    c.Property("DefaultRadioButton", &TAdvTaskDialog::DefaultRadioButton).SetDefault(200);
}

int TAdvTaskDialog::Execute()
{
    std::string text = instruction_;
    for (const std::string* part : {&content_, &expandedText_})
        if (!part->empty())
            text += (text.empty() ? "" : "\r\n\r\n") + *part;
    return MessageBoxA(GetActiveWindow(), text.c_str(), Title.c_str(), MB_OK | MB_ICONINFORMATION);
}

} // namespace panels
