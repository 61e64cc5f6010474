#include "hotkeys/hotkey_binding.h"

#include <string>

#include "hotkeys/key_names.h"
#include "hotkeys/stop_key.h"
#include "target_window/target_window.h"

namespace kavo {
namespace {

constexpr int kF1 = 112;

constexpr const char* kNoConditionText = " 开什么玩笑!一个条件都没有,怎么取句柄?  或尝试直接执行";
constexpr const char* kNoConditionCaption = "失败";
constexpr const char* kBoundText = "绑定成功！按快捷键运行";
constexpr const char* kBoundCaption = "成功";
constexpr const char* kStopKeyRefusedText =
    "F12 是停止键：运行中的脚本按 F12 就会停止，所以它不能用来启动脚本。请换一个键。";

}  // namespace

HotkeyBinding::HotkeyBinding(HotkeyMonitor& monitor, SystemPort& system, InputPort& input,
                             HotkeyBindingView& view)
    : monitor_(monitor), system_(system), input_(input), view_(view), spy_(input, system) {}

void HotkeyBinding::RegisterCursorTrackingKey() {
    monitor_.RegisterHotkey([this](std::int32_t id) { ToggleCursorTracking(id); }, kF1, 0);
}

void HotkeyBinding::BindHotkey() {
    const Utf8Text processName = view_.ProcessNameText();
    if (processName.empty()) {
        system_.ShowMessageBox(kNoConditionText, kNoConditionCaption, MessageBoxOptions{});
        return;
    }
    const int key = KeyCodeFromName(view_.HotkeyEditText());
    if (key == kStopKey) {
        // The stop key must stay able to stop every run, so it never starts one.
        system_.ShowMessageBox(kStopKeyRefusedText, kNoConditionCaption, MessageBoxOptions{});
        return;
    }
    if (keyRefusal_) {
        if (const Utf8Text refusal = keyRefusal_(key); !refusal.empty()) {
            system_.ShowMessageBox(refusal, kNoConditionCaption, MessageBoxOptions{});
            return;
        }
    }
    boundKey_ = key;
    {
        const std::lock_guard lock(boundProcessMutex_);
        boundProcess_ = processName;
    }
    const TargetWindow target = FindTargetWindow(system_, processName, {}, {});
    // A target of kNoMatch still goes to the monitor: the attachment fails, the key stays bound.
    monitor_.RegisterHotkey([this](std::int32_t id) { RunBoundScript(id); }, boundKey_, 0, target);
    system_.ShowMessageBox(kBoundText, kBoundCaption, MessageBoxOptions{});
}

void HotkeyBinding::RunBoundScript(std::int32_t /*id*/) {
    view_.RunCurrentScript();
}

void HotkeyBinding::ToggleCursorTracking(std::int32_t /*id*/) {
    // 0 stops the timer.
    view_.ChangeCursorTrackingInterval([](std::uint32_t current) -> std::uint32_t {
        return current == 0 ? kCursorDisplayIntervalMs : 0;
    });
}

void HotkeyBinding::ShowCursorPosition() {
    const PointerReading reading = spy_.Read();
    view_.ShowCursorCoordinates(std::to_string(reading.point.x), std::to_string(reading.point.y));
    view_.ShowWindowUnderCursor(LinesOf(reading));
}

void HotkeyBinding::InsertForKey(KeyCode key) {
    const Point point = input_.GetCursorPos();
    if (key == kInsertMoveKey) {
        view_.InsertInEditor(MoveStatementText(point));
        return;
    }
    if (key != kInsertDescriptionKey) return;
    const Utf8Text description = DescriptionOf(system_, system_.WindowAtPoint(point));
    if (!description.empty()) view_.InsertInEditor(description);
}

Utf8Text HotkeyBinding::BoundProcessName() const {
    const std::lock_guard lock(boundProcessMutex_);
    return boundProcess_;
}

void HotkeyBinding::ShowHotkeyName(int keyCode) {
    view_.SetHotkeyEditText({});
    view_.SetHotkeyEditText(Utf8Text(KeyNameFromCode(keyCode)));
}

}  // namespace kavo
