// A window named by what it is rather than by its handle. The window argument of 鼠标消息 and
// 按键消息 may describe its window, and the description is looked up again each time the
// statement runs, so a script still reaches a program that has started again since:
//
//   进程:notepad.exe              the front visible top-level window of that process
//   标题:无标题 - 记事本           the first visible top-level window with that title
//   类:Notepad                    the first visible top-level window of that class
//   目标                           the front window of the process bound with 热键执行
//   进程:notepad.exe;标题:*记事本   parts joined by ";" must all match
//   进程:notepad.exe>类:Edit#2     ">" goes down to a descendant; "#n" takes the n-th match
//
// * and ? are wildcards in every part; process and class names compare ignoring ASCII case,
// titles exactly; the colon may be ASCII or full-width. Hidden windows never match. When the
// first window of a level has no match below it, the next one is tried.
#pragma once

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace kavo {

struct WindowCondition {
    enum class Kind { Process, Title, Class, BoundProcess };
    Kind kind = Kind::Process;
    Utf8Text pattern;  // UTF-8; empty for BoundProcess
    friend bool operator==(const WindowCondition&, const WindowCondition&) = default;
};

// One level: what a window there must be, and which of the windows that are is meant.
struct WindowStep {
    std::vector<WindowCondition> conditions;
    // "#n": only the n-th window that meets the conditions (from 1); 0 when not written: the
    // first one, or the first below which the next level matches.
    int ordinal = 0;
    friend bool operator==(const WindowStep&, const WindowStep&) = default;
};

struct WindowDescription {
    std::vector<WindowStep> steps;  // the top-level window first, then a descendant of each
    friend bool operator==(const WindowDescription&, const WindowDescription&) = default;
};

// True when a window argument (GBK, as written) describes its window: it holds 进程:, 标题: or
// 类: (ASCII or full-width colon), or is exactly 目标. Any other argument is a handle, as it
// always was.
bool IsWindowDescription(std::string_view argument);

struct ParsedWindowDescription {
    WindowDescription description;
    Utf8Text problem;  // what is wrong with it, for the user; empty when it is sound
};
ParsedWindowDescription ParseWindowDescription(std::string_view argument);

// Process names by process id for one search: each process is asked once, and only when a
// process it cannot ask about (a protected one) turns up is the whole process list taken, once.
class ProcessNames {
  public:
    explicit ProcessNames(SystemPort& system) : system_(system) {}
    // Empty when the process is gone.
    Utf8Text Of(std::uint32_t processId);

  private:
    SystemPort& system_;
    bool listed_ = false;
    std::vector<ProcessEntry> list_;
    std::vector<std::pair<std::uint32_t, Utf8Text>> names_;
};

// Whether a window meets one step's conditions (its ordinal aside), as a lookup decides it: the
// system is asked only what the conditions need, field by field (the title, then the process,
// the class, the visibility last), and each process's name once.
class WindowMatcher {
  public:
    // boundProcess as for FindDescribedWindow.
    WindowMatcher(SystemPort& system, Utf8Text boundProcess)
        : system_(system), bound_(std::move(boundProcess)), processes_(system) {}
    bool Meets(NativeWindow window, const WindowStep& step);

  private:
    SystemPort& system_;
    Utf8Text bound_;
    ProcessNames processes_;
};

// The window the description names at this moment; nothing when none does. boundProcess is the
// process name bound with 热键执行 (empty: nothing bound), which 目标 stands for.
std::optional<NativeWindow> FindDescribedWindow(SystemPort& system,
                                                const WindowDescription& description,
                                                const Utf8Text& boundProcess);

}  // namespace kavo
