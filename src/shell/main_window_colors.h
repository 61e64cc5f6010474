// The interface colours of the main window (Windows colour values, red in the low byte).
#pragma once

#include "text/color_text.h"

namespace kavo {

struct MainWindowColors {
    ColorRef titleBackground = 0xECECEC;
    ColorRef titleText = 0x353535;
    ColorRef menuBackground = 0xC0C0C0;
    ColorRef menuText = 0x353535;
    ColorRef treeBackground = 0xE9E9E9;
    ColorRef treeText = 0x353535;
    ColorRef editorBackground = 0xFFFFFF;
    ColorRef windowBackground = 0xFFFFFF;
};

}  // namespace kavo
