// The values scripts and hotkeys hand to the input seam: keys, mouse buttons, posted messages,
// the keyboard's state and the kinds of message box. The core speaks only these; the Win32
// layer turns them into the system's numbers and flags.
#pragma once

#include <bitset>
#include <cstdint>
#include <type_traits>

namespace kavo {

// A set of flags of one enumeration whose values are single bits.
template <typename Flag>
class FlagSet {
    using Bits = std::underlying_type_t<Flag>;

  public:
    constexpr FlagSet() = default;
    constexpr FlagSet(Flag flag) : bits_(static_cast<Bits>(flag)) {}  // NOLINT: a flag is a set

    constexpr bool Has(Flag flag) const { return (bits_ & static_cast<Bits>(flag)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr FlagSet& Add(FlagSet other) {
        bits_ = static_cast<Bits>(bits_ | other.bits_);
        return *this;
    }
    friend constexpr FlagSet operator|(FlagSet a, FlagSet b) { return a.Add(b); }
    friend constexpr FlagSet operator&(FlagSet a, FlagSet b) {
        FlagSet both;
        both.bits_ = static_cast<Bits>(a.bits_ & b.bits_);
        return both;
    }
    friend constexpr bool operator==(FlagSet, FlagSet) = default;

  private:
    Bits bits_ = 0;
};

// A key as scripts, the key-code window and hotkeys number it. Scripts write these numbers
// themselves, so they are part of the script language; they are the numbers Windows gives its
// virtual keys, which is why the Win32 layer hands them on unchanged.
using KeyCode = std::uint8_t;

namespace keys {
inline constexpr KeyCode kLeftMouseButton = 0x01;
inline constexpr KeyCode kRightMouseButton = 0x02;
inline constexpr KeyCode kMiddleMouseButton = 0x04;
inline constexpr KeyCode kShift = 0x10;
inline constexpr KeyCode kControl = 0x11;
inline constexpr KeyCode kAlt = 0x12;
inline constexpr KeyCode kCapsLock = 0x14;
inline constexpr KeyCode kLeftWindows = 0x5B;
inline constexpr KeyCode kRightWindows = 0x5C;
inline constexpr KeyCode kNumLock = 0x90;
inline constexpr KeyCode kLeftShift = 0xA0;
inline constexpr KeyCode kRightShift = 0xA1;
inline constexpr KeyCode kLeftControl = 0xA2;
inline constexpr KeyCode kRightControl = 0xA3;
inline constexpr KeyCode kLeftAlt = 0xA4;
inline constexpr KeyCode kRightAlt = 0xA5;
}  // namespace keys

enum class KeyDirection : std::uint8_t { Down, Up };

// Every key and mouse event the program injects carries this mark (the event's extra
// information), so that its own watch on the keyboard can tell them from the user's and other
// programs' input: "KAVO".
inline constexpr std::uintptr_t kInjectedInputMark = 0x4B41564F;

// One injected keyboard event with its scan code and time stamp. The key is 16 bits wide: a
// script's special key passes the low 16 bits of its number as it stands.
struct KeyboardInput {
    std::uint16_t virtualKey = 0;
    std::uint16_t scanCode = 0;
    KeyDirection direction = KeyDirection::Down;
    bool extended = false;  // arrows, Home, F-keys and the like
    std::uint32_t time = 0;
    friend bool operator==(const KeyboardInput&, const KeyboardInput&) = default;
};

// What one injected mouse event does to the buttons; a click presses and releases in one event.
enum class MouseButtonChange : std::uint8_t {
    LeftDown = 1,
    LeftUp = 2,
    RightDown = 4,
    RightUp = 8,
    MiddleDown = 16,
    MiddleUp = 32,
};
using MouseButtonChanges = FlagSet<MouseButtonChange>;
constexpr MouseButtonChanges operator|(MouseButtonChange a, MouseButtonChange b) {
    return MouseButtonChanges(a) | b;
}

enum class MouseButton : std::uint8_t { Left = 1, Right = 2, Middle = 4 };
using MouseButtons = FlagSet<MouseButton>;
constexpr MouseButtons operator|(MouseButton a, MouseButton b) {
    return MouseButtons(a) | b;
}

// The messages scripts post to windows, the mouse messages first.
enum class WindowMessage : std::uint8_t {
    MouseMove,
    LeftButtonDown,
    LeftButtonUp,
    LeftButtonDoubleClick,
    RightButtonDown,
    RightButtonUp,
    RightButtonDoubleClick,
    MiddleButtonDown,
    MiddleButtonUp,
    MiddleButtonDoubleClick,
    MouseWheel,
    ContextMenu,
    KeyDown,
    KeyUp,
    Character,
};

constexpr bool IsMouseMessage(WindowMessage message) {
    return message <= WindowMessage::MouseWheel;
}

// One posted message with what it carries.
struct PostedMessage {
    WindowMessage message = WindowMessage::MouseMove;
    // Mouse messages: the buttons they report held.
    MouseButtons held;
    // MouseWheel: the turn, 120 a notch, positive away from the user.
    std::int16_t wheelTurn = 0;
    // KeyDown and KeyUp: the key's number; Character: the character's UTF-16 code; ContextMenu:
    // the window the menu is asked for. Posted as the script computed it, all 32 bits.
    std::uint32_t value = 0;
    // Mouse messages and ContextMenu: the point, y * 65536 + x cut to 32 bits as the script
    // computed it; 0 for key messages.
    std::int32_t point = 0;
    friend bool operator==(const PostedMessage&, const PostedMessage&) = default;
};

// Keys and mouse buttons, by key code.
using KeySet = std::bitset<256>;

// The keyboard as the thread that asks sees it.
struct KeyboardState {
    KeySet down;     // keys and mouse buttons held
    KeySet toggled;  // Caps Lock, Num Lock and every other key's toggle
    friend bool operator==(const KeyboardState&, const KeyboardState&) = default;
};

// How a message box shows itself. Without options it is a plain box with an OK button.
enum class MessageBoxOption : std::uint8_t {
    TaskModal = 1,    // every top-level window of the thread waits for it
    Warning = 2,      // the warning icon
    Information = 4,  // the information icon
    Error = 8,        // the error icon
};
using MessageBoxOptions = FlagSet<MessageBoxOption>;
constexpr MessageBoxOptions operator|(MessageBoxOption a, MessageBoxOption b) {
    return MessageBoxOptions(a) | b;
}

}  // namespace kavo
