#include "commands/keyboard_actions.h"

#include <cstdint>

#include "commands/precise_delay.h"

namespace kavo {
namespace {

constexpr std::uint32_t kKeyUp = 0x0002;        // KEYEVENTF_KEYUP
constexpr std::uint32_t kExtendedKey = 0x0001;  // KEYEVENTF_EXTENDEDKEY
constexpr std::uint32_t kToScanCode = 0;        // MAPVK_VK_TO_VSC
constexpr std::uint32_t kToCharacter = 2;       // MAPVK_VK_TO_CHAR
constexpr std::int32_t kSpecialKeyHoldMs = 50;

constexpr std::uint32_t kKeyDownMessage = 0x0100;
constexpr std::uint32_t kKeyUpMessage = 0x0101;
constexpr std::uint32_t kCharMessage = 0x0102;

}  // namespace

void TypeKeys(InputPort& input, WaitPort& wait, std::string_view text, int pauseMs) {
    // Each byte is used as a virtual-key code as it stands: letters and digits press their own
    // keys, a double-byte character presses the keys of its two byte values.
    for (const char byte : AsciiToUpper(text)) {
        const auto code = static_cast<std::uint8_t>(byte);
        input.KeybdEvent(code, 0);
        input.KeybdEvent(code, kKeyUp);
        PreciseDelay(wait, pauseMs);
    }
}

void PressSpecialKey(InputPort& input, WaitPort& wait, int code) {
    const auto key = static_cast<std::uint32_t>(code);
    // Keys that give no character (arrows, Home, Caps Lock, F-keys...) are sent as extended keys.
    const bool extended = input.MapKey(key, kToCharacter) == 0;
    KeyboardInput record;
    record.virtualKey = static_cast<std::uint16_t>(key);
    record.scanCode = static_cast<std::uint16_t>(input.MapKey(key, kToScanCode));
    record.flags = extended ? kExtendedKey : 0;
    record.time = input.GetTickCount();
    input.SendKeyboardInput(record);
    PreciseDelay(wait, kSpecialKeyHoldMs, DelayVariant::EarlyReturn);
    record.flags = extended ? (kExtendedKey | kKeyUp) : kKeyUp;
    record.time = input.GetTickCount();
    input.SendKeyboardInput(record);
    PreciseDelay(wait, kSpecialKeyHoldMs, DelayVariant::EarlyReturn);
}

void PostKeyMessage(InputPort& input, NativeWindow window, int code, int mode) {
    const auto wParam = static_cast<std::uint32_t>(code);
    const auto post = [&](std::uint32_t message) {
        input.PostWindowMessage(window, message, wParam, 0);
    };
    switch (mode) {
        case 1:
            post(kCharMessage);
            break;
        case 2:
        case 3:
            post(kKeyDownMessage);
            break;
        case 4:
            post(kKeyUpMessage);
            break;
        case 5:
            post(kKeyDownMessage);
            post(kKeyUpMessage);
            break;
        default:
            break;
    }
}

}  // namespace kavo
