// What F1's display shows of the pointer beside its coordinates: the deepest window under it
// (handle, class, title, process) and the colour of the pixel there; and the texts two keys put
// into the editor for it: a description that finds the window again, and a 鼠标移动 to the point.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/platform.h"

namespace kavo {

struct PointerReading {
    Point point;
    NativeWindow window = 0;  // the deepest window under the pointer; 0: none
    Utf8Text className;
    Utf8Text title;
    Utf8Text processName;                // empty when unknown
    std::optional<std::uint32_t> color;  // 0x00BBGGRR; nothing when unreadable
};

// The help panel's lines for one reading (UTF-8).
struct SpyLines {
    Utf8Text handle;  // decimal, as 鼠标消息 and 按键消息 take it
    Utf8Text className;
    Utf8Text title;  // shortened
    Utf8Text process;
    Utf8Text color;
    friend bool operator==(const SpyLines&, const SpyLines&) = default;
};

class WindowSpy {
  public:
    WindowSpy(InputPort& input, SystemPort& system) : input_(input), system_(system) {}

    // The pointer's point, the window under it and the pixel there. The process's name is
    // asked only when the window belongs to another process than the last reading's.
    PointerReading Read();

  private:
    InputPort& input_;
    SystemPort& system_;
    std::uint32_t lastProcessId_ = 0;
    Utf8Text lastProcessName_;
};

SpyLines LinesOf(const PointerReading& reading);

// "16777215 #FFFFFF": the colour as link.ini writes colours, then as #RRGGBB.
Utf8Text PixelColorText(std::uint32_t color);

// The statement that glides the pointer to the point, with a line break after it.
Utf8Text MoveStatementText(Point point);

// A window description that finds this window again (进程:…;标题:… for a top-level window,
// …>类:… for a window inside one, with "#n" where an earlier window would match too), made of
// characters a GBK page holds; a character it cannot hold, or one the script language reserves,
// stands as "?". Empty when the window is gone.
Utf8Text DescriptionOf(SystemPort& system, NativeWindow window);

}  // namespace kavo
