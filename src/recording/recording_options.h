// The recording's options in a settings file of their own beside the program (record.ini, GBK,
// one "name=value" a line), so that link.ini keeps its fourteen lines. Written in one step.
#pragma once

#include <variant>

#include "platform/platform.h"
#include "recording/recorded_input.h"

namespace kavo {

// The key that starts and ends a recording unless the user chose another: F9.
inline constexpr KeyCode kDefaultRecordKey = 120;
// The keys a user may choose for it: F2 to F11. F1 shows the pointer's coordinates and F12
// stops runs; letters, digits and the like are typed into what is being recorded.
inline constexpr KeyCode kFirstRecordKey = 113;
inline constexpr KeyCode kLastRecordKey = 122;
inline bool IsRecordKeyChoice(int key) {
    return key >= kFirstRecordKey && key <= kLastRecordKey;
}

struct RecordingSettings {
    RecordingOptions options;
    KeyCode recordKey = kDefaultRecordKey;
    friend bool operator==(const RecordingSettings& a, const RecordingSettings& b) {
        return a.options.mouse == b.options.mouse && a.options.keyboard == b.options.keyboard &&
               a.options.path == b.options.path &&
               a.options.pathIntervalMs == b.options.pathIntervalMs &&
               a.options.pauseThresholdMs == b.options.pauseThresholdMs &&
               a.recordKey == b.recordKey;
    }
};

// The record key's name: "F9".
Utf8Text RecordKeyName(KeyCode key);
// The message refusing the record key as a run hotkey (it would start a recording instead).
Utf8Text RecordKeyBindingRefusal(KeyCode recordKey);

// The options window as the user filled it in: the two numbers as typed.
struct RecordingOptionsForm {
    bool mouse = true;
    bool keyboard = true;
    bool path = false;
    Utf8Text pathIntervalMs;
    Utf8Text pauseThresholdMs;
    KeyCode recordKey = kDefaultRecordKey;
};
// The settings the form gives, or the message that refuses it. boundHotkey: the key bound now to
// run scripts (0: none), which cannot also start recordings.
std::variant<RecordingSettings, Utf8Text> SettingsFromForm(const RecordingOptionsForm& form,
                                                           int boundHotkey);

Utf8Text RecordingSettingsPath(FilePort& files);
// What the file says; the defaults for anything missing, unreadable or out of range.
RecordingSettings ReadRecordingSettings(FilePort& files);
bool WriteRecordingSettings(FilePort& files, const RecordingSettings& settings);

}  // namespace kavo
