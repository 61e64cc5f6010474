// Runs from the command line, for timed runs (the Task Scheduler) and other programs:
//   kavo.exe /run 目录\页面     check the page, then run it; the exit code tells how it ended
//   kavo.exe /check 目录\页面   only check it
// A page is named as the library shows it (directory\page, ".txt" implied) or by an absolute
// path to a ".txt" file. Each run appends one line to kavo-run.log in the program's folder.
// Portable: the Win32 side gives the process its tray icon, the stop key and the run's thread.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "engine/script_engine.h"
#include "platform/platform.h"
#include "run_control/run_control.h"

namespace kavo {

enum class CommandLineMode {
    Window,  // no command of ours: the program opens its window as usual
    Run,
    Check,
};

struct CommandLineRequest {
    CommandLineMode mode = CommandLineMode::Window;
    Utf8Text page;             // as given; the words after the command joined by single spaces
    bool missingPage = false;  // /run or /check with nothing after it
    friend bool operator==(const CommandLineRequest&, const CommandLineRequest&) = default;
};

// The arguments after the program's own name (UTF-8). The command is /run or /check (also with
// "-", any letter case); a page name with spaces may be quoted or not.
CommandLineRequest ParseCommandLine(const std::vector<Utf8Text>& arguments);

// How a run from the command line ended; the value is the process's exit code.
enum class RunOutcome {
    Completed = 0,       // ran to its end (/check: no fault found)
    BadCommandLine = 1,  // /run or /check without a page
    PageMissing = 2,     // no such page, a name outside the library, or the file cannot be read
    ScriptFault = 3,     // 脚本错误: the check refused the page, nothing ran
    Stopped = 4,         // stopped by F12 (or by the session ending)
    WindowNotFound = 5,  // a window the page names was not there, did not come in time or
                         // could not be brought to the front: the run stopped itself
    ProgramFailed = 7,   // the program failed inside the run (the log says how); what the run
                         // held was released
};

// The file a page argument names, or nothing when it names none: "目录\页面" (or with "/") lies
// inside contentRoot (which ends with a backslash) as directory and page, ".txt" added unless
// the name ends with it; an absolute path ("C:\..." or "\\server\...") must name a ".txt" file.
std::optional<Utf8Text> ResolvePageArgument(const Utf8Text& contentRoot, const Utf8Text& page);

// kavo-run.log in the given folder (no trailing separator).
Utf8Text RunLogPath(const Utf8Text& programFolder);
// The log rolls over before a line would take it past 1 MiB: it becomes kavo-run.log.1 (the
// one older log kept, an earlier one of that name goes) and a new kavo-run.log begins.
inline constexpr std::size_t kRunLogLimitBytes = std::size_t{1} << 20;
Utf8Text OlderRunLogPath(const Utf8Text& programFolder);

struct RunReport {
    RunOutcome outcome = RunOutcome::Completed;
    Utf8Text reason;  // what the log and the balloon say, in Chinese
};

// One log line, GBK with CR LF: time, command, page, exit code and reason, separated by tabs.
// In every field a backslash is written "\\", a tab "\t", a line feed "\n", a carriage return
// "\r" and any other control character "\xNN" (two upper-case hexadecimal digits), so that a
// field never breaks the line and reads back as it was.
RuntimeText RunLogLine(std::string_view time, CommandLineMode mode, const Utf8Text& page,
                       const RunReport& report);

struct CommandLineRunPorts {
    ScriptEngine& engine;  // the commands entered, the statement gate CurrentRunMayGoOn
    FilePort& files;
    RunControl& control;  // the run's stop key, its held input
    // The local time as the log shows it ("2026-12-11 01:02:03").
    std::function<Utf8Text()> now;
    // Added to the reason of every log line (the program runs elevated from a folder others can
    // change); empty: nothing.
    Utf8Text logNote;
    // Set by the request's log line: one request, one line, whichever thread ends it (cleared
    // when RunFromCommandLine begins a request).
    std::atomic<bool> logged{false};
};

// Reads and checks the page and, for /run, runs it on the calling thread; appends the log line
// (a log that cannot be written does not change the outcome).
RunReport RunFromCommandLine(const CommandLineRequest& request, CommandLineRunPorts& ports);

// Appends the request's log line unless one was written for it already; true when this call
// wrote it. For the program's end while the run cannot finish (it sits in a message box).
bool LogRunOnce(const CommandLineRequest& request, CommandLineRunPorts& ports,
                const RunReport& report);

// The report of a run ended from outside the page (the program asked to close, the session
// ending) when the run did not get to say where it was.
RunReport EndedFromOutsideReport();

}  // namespace kavo
