#include "commands/keyboard_actions.h"

#include <cstdint>
#include <optional>

#include "commands/gbk_characters.h"
#include "commands/precise_delay.h"
#include "commands/script_run.h"

namespace kavo {
namespace {

constexpr std::int32_t kSpecialKeyHoldMs = 50;

// Mode 1. Below 0x80 a code is the character itself. A byte from 0x80 is GBK: a lead byte
// waits (in the run) for the next character post to the same window, and with a trail byte
// makes one character; a lead byte followed by anything else goes out alone. A code from 0x100
// whose high byte leads and whose low byte trails is such a pair in one number. Other codes go
// out unchanged.
void PostCharacter(InputPort& input, NativeWindow window, int code) {
    const auto post = [&](std::uint32_t character) {
        input.PostWindowMessage(window, {.message = WindowMessage::Character, .value = character});
    };
    ScriptRun* run = CurrentRun();
    if (const std::optional<std::uint8_t> lead = run ? run->TakeLeadByte(window) : std::nullopt) {
        if (code >= 0 && code <= 0xFF && IsTrailByte(static_cast<unsigned char>(code))) {
            post(PairCharacter(*lead, static_cast<std::uint8_t>(code)));
            return;
        }
        post(LoneByteCharacter(*lead));
    }
    if (code < 0x80 || code > 0xFFFF) {
        post(static_cast<std::uint32_t>(code));
        return;
    }
    if (code <= 0xFF) {
        const auto byte = static_cast<std::uint8_t>(code);
        if (run != nullptr && IsLeadByte(byte)) {
            run->KeepLeadByte(window, byte);
            return;
        }
        post(LoneByteCharacter(byte));
        return;
    }
    const auto high = static_cast<std::uint8_t>(code >> 8);
    const auto low = static_cast<std::uint8_t>(code & 0xFF);
    post(IsLeadByte(high) && IsTrailByte(low) ? PairCharacter(high, low)
                                              : static_cast<std::uint32_t>(code));
}

}  // namespace

void TypeKeys(InputPort& input, WaitPort& wait, std::string_view text, int pauseMs) {
    // Each byte is used as a virtual-key code as it stands: letters and digits press their own
    // keys, a double-byte character presses the keys of its two byte values.
    for (const char byte : AsciiToUpper(text)) {
        // A stopped run types no further key.
        if (CurrentRunStopped()) return;
        const auto code = static_cast<std::uint8_t>(byte);
        input.KeybdEvent(code, KeyDirection::Down);
        input.KeybdEvent(code, KeyDirection::Up);
        PreciseDelay(wait, pauseMs);
    }
}

namespace {

// The key's keyboard record as 特殊按键 sends it. Keys that give no character (arrows, Home,
// Caps Lock, F-keys...) are sent as extended keys.
KeyboardInput KeyRecord(InputPort& input, int code) {
    const auto key = static_cast<std::uint32_t>(code);
    const bool extended = input.CharacterOfKey(key) == 0;
    KeyboardInput record;
    record.virtualKey = static_cast<std::uint16_t>(key);
    record.scanCode = static_cast<std::uint16_t>(input.ScanCodeOfKey(key));
    record.extended = extended;
    record.time = input.GetTickCount();
    return record;
}

}  // namespace

void PressKeyAlone(InputPort& input, int code, KeyDirection direction) {
    KeyboardInput record = KeyRecord(input, code);
    record.direction = direction;
    input.SendKeyboardInput(record);
}

void PressSpecialKey(InputPort& input, WaitPort& wait, int code) {
    KeyboardInput record = KeyRecord(input, code);
    input.SendKeyboardInput(record);
    PreciseDelay(wait, kSpecialKeyHoldMs);
    record.direction = KeyDirection::Up;
    record.time = input.GetTickCount();
    input.SendKeyboardInput(record);
    PreciseDelay(wait, kSpecialKeyHoldMs);
}

void PostKeyMessage(InputPort& input, NativeWindow window, int code, int mode) {
    const auto post = [&](WindowMessage message) {
        input.PostWindowMessage(window,
                                {.message = message, .value = static_cast<std::uint32_t>(code)});
    };
    switch (mode) {
        case 1:
            PostCharacter(input, window, code);
            break;
        case 2:
        case 3:
            post(WindowMessage::KeyDown);
            break;
        case 4:
            post(WindowMessage::KeyUp);
            break;
        case 5:
            post(WindowMessage::KeyDown);
            post(WindowMessage::KeyUp);
            break;
        default:
            break;
    }
}

}  // namespace kavo
