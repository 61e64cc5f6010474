#include "hotkeys/hotkey_binding.h"

#include <string>

#include "hotkeys/key_names.h"
#include "target_window/target_window.h"

namespace kavo {
namespace {

constexpr const char* kNoConditionText = " 开什么玩笑!一个条件都没有,怎么取句柄?  或尝试直接执行";
constexpr const char* kNoConditionCaption = "失败";
constexpr const char* kBoundText = "绑定成功！按快捷键运行";
constexpr const char* kBoundCaption = "成功";

}  // namespace

HotkeyBinding::HotkeyBinding(HotkeyMonitor& monitor, SystemPort& system, const ProgramKeys& keys,
                             HotkeyBindingView& view)
    : monitor_(monitor), system_(system), keys_(keys), view_(view) {}

void HotkeyBinding::BindHotkey() {
    const Utf8Text processName = view_.ProcessNameText();
    if (processName.empty()) {
        system_.ShowMessageBox(kNoConditionText, kNoConditionCaption, MessageBoxOptions{});
        return;
    }
    const int key = KeyCodeFromName(view_.HotkeyEditText());
    // The stop key must stay able to stop every run, the record key to end a recording: keys
    // the program claims never start a script.
    if (const Utf8Text refusal = keys_.BindingRefusal(static_cast<KeyCode>(key));
        !refusal.empty()) {
        system_.ShowMessageBox(refusal, kNoConditionCaption, MessageBoxOptions{});
        return;
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
    view_.RunBoundScript();
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
