// What a piece of input simulation did to the desktop, read from the recording fake: input and
// posted-message calls as the fake records them, and each timed wait as "Wait(<ms>)" so that
// tests see where the waits fall without depending on how a delay drives its timer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/fake/recording_platform.h"

namespace kavo::test {

inline std::vector<std::string> InputCalls(const RecordingPlatform& platform) {
    std::vector<std::string> result;
    for (const auto& call : platform.calls) {
        if (call.rfind("SetWaitableTimer(", 0) == 0) {
            // SetWaitableTimer(timer,due) with due = milliseconds * -10000.
            const auto comma = call.find(',');
            const std::int64_t due = std::stoll(call.substr(comma + 1));
            result.push_back("Wait(" + std::to_string(-due / 10000) + ")");
        } else if (call != "CreateWaitableTimer" && call.rfind("MsgWait", 0) != 0 &&
                   call.rfind("CloseTimer(", 0) != 0 && call != "ProcessPendingEvents") {
            result.push_back(call);
        }
    }
    return result;
}

}  // namespace kavo::test
