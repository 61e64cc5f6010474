#include "appearance/appearance_win32.h"

#include "platform/win32/win32_platform.h"
#include "shell/command_ids.h"
#include "shell/main_window_layout.h"

namespace kavo {
namespace {

// The main window's border, in pixels at 96 DPI.
constexpr int kMainBorderBand = 2;

}  // namespace

Appearance::Appearance(MainWindowServices& services) : services_(services) {
    border_.Create(services.Window(), kMainBorderBand);
    const auto colors = [&services] {
        const MainWindowColors& now = services.Colors();
        return TitleColors{now.titleBackground, now.titleText};
    };
    const auto make = [&](int id, TitleGlyph glyph) {
        return std::make_unique<CaptionButton>(services.Control(id), colors, glyph,
                                               CaptionButton::Reaction::Fade);
    };
    exit_ = make(layout::kExit, TitleGlyph::Close);
    maximize_ = make(layout::kMaximize, TitleGlyph::Maximize);
    minimize_ = make(layout::kMinimize, TitleGlyph::Minimize);
    closeBox_ =
        std::make_unique<CaptionButton>(services.Control(layout::kCloseBox), colors,
                                        TitleGlyph::Close, CaptionButton::Reaction::HoverBackground,
                                        [this] { return HoverBackground(kExitHoverColorLine); });
    hideBox_ = std::make_unique<CaptionButton>(
        services.Control(layout::kHideBox), colors, TitleGlyph::HideToTray,
        CaptionButton::Reaction::HoverBackground,
        [this] { return HoverBackground(kHideHoverColorLine); });

    for (CaptionButton* button :
         {exit_.get(), maximize_.get(), minimize_.get(), closeBox_.get(), hideBox_.get()})
        services.OnDrawItem(GetDlgCtrlID(button->Handle()), [button](const DRAWITEMSTRUCT& item) {
            button->Draw(item);
            return true;
        });
    MainWindowEvents& events = services.Events();
    events.positionChanged.Subscribe([this] { border_.FollowOwner(); });
    events.activated.Subscribe([this] { border_.Raise(); });
    events.focused.Subscribe([this] { border_.Raise(); });
    // A click on the window's own background clears every highlight at once.
    events.backgroundClicked.Subscribe([this] {
        for (CaptionButton* button : {exit_.get(), maximize_.get(), minimize_.get()})
            button->HideHighlight();
    });
    // The window comes back from the notification area with its hide button at rest.
    events.trayClicked.Subscribe([this](TrayClick click) {
        if (click == TrayClick::LeftUp || click == TrayClick::LeftDoubleClick ||
            click == TrayClick::RightUp)
            hideBox_->Reset();
        return false;
    });
    services.Commands().Register(kCmdSoftwareSettings, [this] { OpenSettings(); });
    events.closing.Subscribe([this] { settings_.Close(); });
    ApplyStartupSettings();
}

Appearance::~Appearance() = default;

void Appearance::ApplyStartupSettings() {
    startupSettings_ = ReadSettings(services_.Platform());
    if (FlagValue(startupSettings_[kAlwaysOnTopLine]))
        SetWindowPos(services_.Window(), HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    services_.Colors() = ColorsFromSettings(startupSettings_);
    services_.ApplyColors();
}

COLORREF Appearance::HoverBackground(SettingsLine line) const {
    return HoverColor(startupSettings_, line, services_.Colors().titleBackground);
}

void Appearance::OpenSettings() {
    // The main window no longer stays above everything while its settings are open; 确定 sets
    // it again when the box is checked.
    SetWindowPos(services_.Window(), HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SettingsWindowHost host;
    host.mainWindow = services_.Window();
    host.colors = &services_.Colors();
    host.applyColors = [this] {
        services_.ApplyColors();
        // The labels, buttons and picture boxes are children: they repaint too, at once.
        RedrawWindow(services_.Window(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    };
    host.files = &services_.Platform();
    host.clipboard = &services_.Platform();
    settings_.Show(services_.Window(), std::move(host));
}

}  // namespace kavo
