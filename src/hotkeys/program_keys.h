// The keys the program claims for itself, in one list: the stop key, F1 (the cursor display),
// the record key, the keys F1's display takes while it runs, and any key a later feature claims.
// A run hotkey bound to one of them would start a script at every press that the program also
// takes for its own use: binding them is refused (but F1, which a binding has always been able
// to take over from the cursor display). Thread-safe.
#pragma once

#include <map>
#include <mutex>

#include "platform/input_values.h"
#include "platform/platform.h"

namespace kavo {

// The keys F1's display takes, and F1 itself.
inline constexpr KeyCode kCursorDisplayKey = 112;      // F1
inline constexpr KeyCode kInsertDescriptionKey = 0x2D;  // Insert
inline constexpr KeyCode kInsertMoveKey = 0x21;         // Page Up

enum class ProgramKey {
    Stop,               // F12: stops every run, ends a recording
    CursorDisplay,      // F1: switches the display of the cursor's coordinates on and off
    Record,             // starts and ends a recording (record.ini)
    InsertDescription,  // Insert while F1's display runs: the window's description at the caret
    InsertMove,         // Page Up while F1's display runs: 鼠标移动 to the pointer at the caret
};

class ProgramKeys {
  public:
    // F12, F1, Insert and Page Up; the record key comes from the recorder.
    ProgramKeys();

    // The key the role uses from now on, and the text that refuses binding it to a run.
    void Assign(ProgramKey role, KeyCode key, Utf8Text bindingRefusal);
    // 0 when the role has no key.
    KeyCode KeyOf(ProgramKey role) const;
    // Why the key cannot start a script; empty when the program does not claim it.
    Utf8Text BindingRefusal(KeyCode key) const;

  private:
    struct Claim {
        KeyCode key = 0;
        Utf8Text refusal;
    };
    mutable std::mutex mutex_;
    std::map<ProgramKey, Claim> claims_;
};

}  // namespace kavo
