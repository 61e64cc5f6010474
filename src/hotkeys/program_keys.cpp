#include "hotkeys/program_keys.h"

#include <utility>

#include "hotkeys/stop_key.h"

namespace kavo {
ProgramKeys::ProgramKeys() {
    claims_[ProgramKey::Stop] = {
        kStopKey,
        "F12 是停止键：运行中的脚本按 F12 就会停止，所以它不能用来启动脚本。请换一个键。"};
    // F1 may still be bound, as it always could: the bound script then takes F1 over from the
    // cursor display until the program starts again.
    claims_[ProgramKey::CursorDisplay] = {kCursorDisplayKey, {}};
    claims_[ProgramKey::InsertDescription] = {
        kInsertDescriptionKey, "坐标显示开启时 Insert 用来插入窗口描述，所以它不能用来启动脚本。请换一个键。"};
    claims_[ProgramKey::InsertMove] = {
        kInsertMoveKey, "坐标显示开启时 Page Up 用来插入鼠标移动，所以它不能用来启动脚本。请换一个键。"};
}

void ProgramKeys::Assign(ProgramKey role, KeyCode key, Utf8Text bindingRefusal) {
    const std::lock_guard lock(mutex_);
    claims_[role] = {key, std::move(bindingRefusal)};
}

KeyCode ProgramKeys::KeyOf(ProgramKey role) const {
    const std::lock_guard lock(mutex_);
    const auto found = claims_.find(role);
    return found == claims_.end() ? KeyCode{0} : found->second.key;
}

Utf8Text ProgramKeys::BindingRefusal(KeyCode key) const {
    const std::lock_guard lock(mutex_);
    if (key == 0) return {};
    for (const auto& [role, claim] : claims_)
        if (claim.key == key) return claim.refusal;
    return {};
}

}  // namespace kavo
