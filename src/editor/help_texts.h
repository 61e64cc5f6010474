// The usage texts of the help panel's ten buttons, and the help box's height for each.
#pragma once

#include <optional>
#include <span>

namespace kavo {

enum class HelpTopic {
    Loop,
    Delay,
    Run,
    SpecialKey,
    Click,
    Typing,
    Move,
    MessageBox,
    MouseMessage,
    KeyMessage,
};

struct HelpText {
    HelpTopic topic;
    const char* text;  // UTF-8, lines joined by CR LF
    int boxHeight;     // pixels at 96 DPI
};

std::span<const HelpText> HelpTexts();
std::optional<HelpText> FindHelpText(HelpTopic topic);

}  // namespace kavo
