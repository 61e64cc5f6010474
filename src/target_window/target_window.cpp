#include "target_window/target_window.h"

#include <algorithm>
#include <vector>

#include "text/runtime_text.h"

namespace kavo {
namespace {

Utf8Text AsciiLower(const Utf8Text& text) {
    Utf8Text lower = text;
    for (char& c : lower) c = AsciiLowerByte(c);
    return lower;
}

bool RunsInProcessNamed(const WindowEntry& window, const std::vector<ProcessEntry>& processes,
                        const Utf8Text& lowerName) {
    return std::any_of(processes.begin(), processes.end(), [&](const ProcessEntry& process) {
        return process.processId == window.processId && AsciiLower(process.exeName) == lowerName;
    });
}

}  // namespace

TargetWindow FindTargetWindow(SystemPort& system, const Utf8Text& processName,
                              const Utf8Text& className, const Utf8Text& titleFragment) {
    if (processName.empty() && className.empty() && titleFragment.empty()) return kNoCondition;

    // Process id 0 is the idle process, which owns no windows.
    std::vector<ProcessEntry> processes = system.SnapshotProcesses();
    std::erase_if(processes, [](const ProcessEntry& process) { return process.processId == 0; });

    const Utf8Text lowerName = AsciiLower(processName);
    for (const WindowEntry& window : system.EnumerateTopLevelWindows()) {
        if (!window.visible) continue;
        if (!processName.empty() && !RunsInProcessNamed(window, processes, lowerName)) continue;
        if (!className.empty() && window.className != className) continue;
        if (!titleFragment.empty() &&
            ("'" + window.title + "'").find(titleFragment) == Utf8Text::npos)
            continue;
        return window.window;
    }
    return kNoMatch;
}

}  // namespace kavo
