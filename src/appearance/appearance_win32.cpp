#include "appearance/appearance_win32.h"

#include <array>
#include <memory>
#include <optional>

#include "app/border_window_win32.h"
#include "app/caption_button_win32.h"
#include "app/command_ids.h"
#include "app/main_window_layout.h"
#include "appearance/settings_files.h"
#include "appearance/settings_window_win32.h"
#include "platform/win32/win32_platform.h"

namespace kavo {
namespace {

// The main window's border, in pixels at 96 DPI.
constexpr int kMainBorderBand = 2;

class Appearance {
  public:
    explicit Appearance(MainWindowServices& services) : services_(services) {}

    void Install() {
        HWND window = services_.Window();
        border_.Create(window, kMainBorderBand);
        const MainWindowColors& colors = services_.Colors();
        exit_ = std::make_unique<CaptionButton>(services_.Control(layout::kExit), colors,
                                                TitleGlyph::Close, CaptionButton::Reaction::Fade);
        maximize_ =
            std::make_unique<CaptionButton>(services_.Control(layout::kMaximize), colors,
                                            TitleGlyph::Maximize, CaptionButton::Reaction::Fade);
        minimize_ =
            std::make_unique<CaptionButton>(services_.Control(layout::kMinimize), colors,
                                            TitleGlyph::Minimize, CaptionButton::Reaction::Fade);
        picture1_ = std::make_unique<CaptionButton>(
            services_.Control(layout::kPicture1), colors, TitleGlyph::Close,
            CaptionButton::Reaction::HoverBackground,
            [this] { return HoverBackground(kExitHoverColorLine); });
        picture3_ = std::make_unique<CaptionButton>(
            services_.Control(layout::kPicture3), colors, TitleGlyph::HideToTray,
            CaptionButton::Reaction::HoverBackground,
            [this] { return HoverBackground(kHideHoverColorLine); });

        services_.AddMessageHook([this](UINT message, WPARAM wParam, LPARAM lParam) {
            return OnMainWindowMessage(message, wParam, lParam);
        });
        services_.Commands().Register(kCmdSoftwareSettings, [this] { OpenSettings(); });
        services_.AddClosingStep([this] { settings_.reset(); });
        ApplyAppearance();
    }

  private:
    // Once at start-up. The record stays as read for the whole run: the hover colours and their
    // switch take effect at the next start.
    void ApplyAppearance() {
        startupSettings_ = ReadSettings(services_.Platform());
        if (FlagValue(startupSettings_[kAlwaysOnTopLine]))
            SetWindowPos(services_.Window(), HWND_TOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        services_.Colors() = ColorsFromSettings(startupSettings_);
        services_.ApplyColors();
    }

    ColorRef HoverBackground(SettingsLine line) const {
        return HoverColor(startupSettings_, line, services_.Colors().titleBackground);
    }

    std::optional<LRESULT> OnMainWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_DRAWITEM: {
                const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
                for (const CaptionButton* button : Buttons()) {
                    if (button != nullptr && button->Handle() == item.hwndItem) {
                        button->Draw(item);
                        return TRUE;
                    }
                }
                break;
            }
            case WM_WINDOWPOSCHANGED:
                border_.FollowOwner();
                break;
            case WM_ACTIVATE:
                if (LOWORD(wParam) != WA_INACTIVE) border_.Raise();
                break;
            case WM_SETFOCUS:
                border_.Raise();
                break;
            case WM_LBUTTONUP:
                // A click on the window's own background clears every highlight at once.
                for (CaptionButton* button : {exit_.get(), maximize_.get(), minimize_.get()})
                    if (button != nullptr) button->HideHighlight();
                break;
            case kTrayIconMessage:
                if (lParam == WM_LBUTTONUP || lParam == WM_LBUTTONDBLCLK || lParam == WM_RBUTTONUP)
                    ResetHideButton();
                break;
            default:
                break;
        }
        return std::nullopt;
    }

    // The window comes back from the notification area with its hide button at rest.
    void ResetHideButton() {
        if (picture3_) picture3_->Reset();
    }

    std::array<const CaptionButton*, 5> Buttons() const {
        return {exit_.get(), maximize_.get(), minimize_.get(), picture1_.get(), picture3_.get()};
    }

    void OpenSettings() {
        // The main window no longer stays above everything while its settings are open; 确定
        // sets it again when the box is checked.
        SetWindowPos(services_.Window(), HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        if (settings_ && settings_->Handle() != nullptr) {
            SetForegroundWindow(settings_->Handle());
            return;
        }
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
        settings_ = std::make_unique<SettingsWindow>(std::move(host));
        if (!settings_->Create()) settings_.reset();
    }

    MainWindowServices& services_;
    SettingsRecord startupSettings_;
    BorderWindow border_;
    std::unique_ptr<CaptionButton> exit_;
    std::unique_ptr<CaptionButton> maximize_;
    std::unique_ptr<CaptionButton> minimize_;
    std::unique_ptr<CaptionButton> picture1_;
    std::unique_ptr<CaptionButton> picture3_;
    std::unique_ptr<SettingsWindow> settings_;
};

// Lives as long as the process: the main window is created once and its end ends the process.
std::unique_ptr<Appearance>& TheAppearance() {
    static std::unique_ptr<Appearance> appearance;
    return appearance;
}

}  // namespace

void InstallAppearance(MainWindowServices& services) {
    TheAppearance() = std::make_unique<Appearance>(services);
    TheAppearance()->Install();
}

}  // namespace kavo
