#include "editor/help_panel_win32.h"

#include "editor/help_texts.h"
#include "platform/win32/dpi_win32.h"
#include "shell/main_window_layout.h"
#include "text/wide.h"

namespace kavo {
namespace {

struct HelpButton {
    int buttonId;
    HelpTopic topic;
};

constexpr HelpButton kHelpButtons[] = {
    {layout::kHelpLoop, HelpTopic::Loop},
    {layout::kHelpDelay, HelpTopic::Delay},
    {layout::kHelpRun, HelpTopic::Run},
    {layout::kHelpSpecialKey, HelpTopic::SpecialKey},
    {layout::kHelpClick, HelpTopic::Click},
    {layout::kHelpTyping, HelpTopic::Typing},
    {layout::kHelpMove, HelpTopic::Move},
    {layout::kHelpMessageBox, HelpTopic::MessageBox},
    {layout::kHelpMouseMessage, HelpTopic::MouseMessage},
    {layout::kHelpKeyMessage, HelpTopic::KeyMessage},
};

void ShowHelpText(MainWindowServices& services, HelpTopic topic) {
    const std::optional<HelpText> help = FindHelpText(topic);
    if (!help) return;
    HWND box = services.Control(layout::kHelpText);
    SetWindowTextW(box, Utf8ToWide(help->text).c_str());
    RECT rect{};
    GetWindowRect(box, &rect);
    SetWindowPos(box, nullptr, 0, 0, rect.right - rect.left,
                 ScaleToDpi(help->boxHeight, WindowDpi(box)),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(GetParent(box), nullptr, TRUE);
}

}  // namespace

HelpPanel::HelpPanel(MainWindowServices& services) : services_(services) {
    for (const HelpButton& button : kHelpButtons)
        services.Commands().Register(
            button.buttonId, [this, topic = button.topic] { ShowHelpText(services_, topic); });
}

}  // namespace kavo
