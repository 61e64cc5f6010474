// What a piece of input simulation did to the desktop, read from the recording fake: input and
// posted-message calls as the fake records them, and each delay as "Wait(<ms>)" so that tests
// see where the waits fall without depending on how a delay drives its timer and the clock.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/fake/recording_platform.h"

namespace kavo::test {

// The calls a delay makes on the wait seam.
inline bool IsWaitCall(const std::string& call) {
    return call == "CreateDelayTimer" || call == "ProcessPendingEvents" ||
           call.rfind("SetDelayTimer(", 0) == 0 || call.rfind("WaitFor", 0) == 0 ||
           call.rfind("CloseTimer(", 0) == 0;
}

inline std::vector<std::string> InputCalls(const RecordingPlatform& platform) {
    const std::vector<std::string>& calls = platform.calls;
    std::vector<std::string> result;
    std::size_t i = 0;
    while (i < calls.size()) {
        if (!IsWaitCall(calls[i])) {
            result.push_back(calls[i++]);
            continue;
        }
        // One delay: its wait calls in a row, lasting until the next call (or until now).
        const std::uint64_t begin = platform.callTimes.at(i);
        std::optional<std::int64_t> pastDue;  // a timer set to a point already past
        for (; i < calls.size() && IsWaitCall(calls[i]); ++i) {
            if (calls[i].rfind("SetDelayTimer(", 0) == 0) {
                const std::int64_t due = std::stoll(calls[i].substr(calls[i].find(',') + 1));
                if (due >= 0) pastDue = due;
            }
        }
        const std::uint64_t end =
            i < calls.size() ? platform.callTimes.at(i) : platform.nowMicroseconds;
        // An interval below 1 goes through a timer that fires at once: its due time
        // (milliseconds * -10000) tells which interval was asked for.
        const std::int64_t ms =
            pastDue ? -*pastDue / 10000 : static_cast<std::int64_t>((end - begin + 500) / 1000);
        result.push_back("Wait(" + std::to_string(ms) + ")");
    }
    return result;
}

}  // namespace kavo::test
