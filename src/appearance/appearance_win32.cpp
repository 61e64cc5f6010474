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

    services.AddMessageHandler(WM_DRAWITEM, [this](WPARAM, LPARAM lParam) {
        return OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    });
    services.AddMessageHandler(WM_WINDOWPOSCHANGED, [this](WPARAM, LPARAM) {
        border_.FollowOwner();
        return std::optional<LRESULT>();
    });
    services.AddMessageHandler(WM_ACTIVATE, [this](WPARAM wParam, LPARAM) {
        if (LOWORD(wParam) != WA_INACTIVE) border_.Raise();
        return std::optional<LRESULT>();
    });
    services.AddMessageHandler(WM_SETFOCUS, [this](WPARAM, LPARAM) {
        border_.Raise();
        return std::optional<LRESULT>();
    });
    services.AddMessageHandler(WM_LBUTTONUP, [this](WPARAM, LPARAM) {
        // A click on the window's own background clears every highlight at once.
        for (CaptionButton* button : {exit_.get(), maximize_.get(), minimize_.get()})
            button->HideHighlight();
        return std::optional<LRESULT>();
    });
    services.AddMessageHandler(kTrayIconMessage, [this](WPARAM, LPARAM lParam) {
        OnTrayEvent(lParam);
        return std::optional<LRESULT>();
    });
    services.Commands().Register(kCmdSoftwareSettings, [this] { OpenSettings(); });
    services.AddClosingStep([this] { settings_.Close(); });
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

std::optional<LRESULT> Appearance::OnDrawItem(const DRAWITEMSTRUCT& item) {
    for (const CaptionButton* button : Buttons()) {
        if (button->Handle() == item.hwndItem) {
            button->Draw(item);
            return TRUE;
        }
    }
    return std::nullopt;
}

// The window comes back from the notification area with its hide button at rest.
void Appearance::OnTrayEvent(LPARAM mouseMessage) {
    if (mouseMessage == WM_LBUTTONUP || mouseMessage == WM_LBUTTONDBLCLK ||
        mouseMessage == WM_RBUTTONUP)
        hideBox_->Reset();
}

std::array<const CaptionButton*, 5> Appearance::Buttons() const {
    return {exit_.get(), maximize_.get(), minimize_.get(), closeBox_.get(), hideBox_.get()};
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
