#include "ControlClasses.h"

#include "AdvGlowButton.h"
#include "AdvGroupBox.h"
#include "AdvOfficeButtons.h"
#include "AdvOfficeImage.h"
#include "AdvReflectionLabel.h"
#include "HTMLComboBox.h"
#include "HTMLabel.h"
#include "OcLabel.h"
#include "OcXPProgressBar.h"

using namespace classlib;

namespace controls {

void RegisterControlClasses()
{
    RegisterClasses({&TAdvGlowButton::StaticClass(), &TAdvGroupBox::StaticClass(),
                     &THTMLabel::StaticClass(), &TAdvReflectionLabel::StaticClass(),
                     &TOcLabel::StaticClass(), &TAdvOfficeImage::StaticClass(),
                     &THTMLComboBox::StaticClass(), &TOcXPProgressBar::StaticClass(),
                     &TAdvOfficeCheckBox::StaticClass(), &TAdvOfficeRadioButton::StaticClass(),
                     &TAdvOfficeRadioGroup::StaticClass()});
}

} // namespace controls
