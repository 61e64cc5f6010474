// The RecordingOptionsWindow (录制选项): what a recording takes in (the mouse, the keyboard, the
// pointer's path and its interval), the pause threshold and the record key. Modal; 确定 checks
// the form and gives the settings, 取消 gives nothing.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "recording/recording_options.h"
#include "ui/small_window_win32.h"

namespace kavo {

class RecordingOptionsWindow
    : public ModalSmallWindow<RecordingOptionsWindow, std::optional<RecordingSettings>> {
  public:
    static constexpr SmallWindowFrame kFrame{.className = L"KavoRecordingOptions",
                                             .title = L"录制选项",
                                             .designWidth = 280,
                                             .designHeight = 292,
                                             .bounce = BounceWindowKind::InputDialog};

    // isBoundHotkey: whether a key is bound now to run scripts; such a key cannot be the record
    // key.
    RecordingOptionsWindow(const RecordingSettings& current,
                           std::function<bool(KeyCode)> isBoundHotkey)
        : current_(current), isBoundHotkey_(std::move(isBoundHotkey)) {}

  private:
    friend SmallWindow<RecordingOptionsWindow>;
    LRESULT OnCreate();
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnOk();
    void ShowPathIntervalState();
    bool Checked(int id) const;

    RecordingSettings current_;
    std::function<bool(KeyCode)> isBoundHotkey_;
};

}  // namespace kavo
