// A page as a script (GBK bytes): checked, then run with the eleven commands against the
// recording fake, the way 直接运行 does it; also scanned into statements and arguments, whose
// texts are read as numbers.
//
// A script may ask for a lot of legitimate work: 计次循环(2147483647,1), 延时(2147483647) or a
// glide across 2^31 pixels. The fake's clock makes waits instant, but the work is still there, so
// the harness ends the run the way F12 does once the run has taken a fixed budget of statements
// and platform calls. The program itself keeps no such limit: a user may well want a loop
// that runs for days.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <set>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commands/builtin_commands.h"
#include "commands/engine_host.h"
#include "commands/run_texts.h"
#include "commands/script_run.h"
#include "engine/script_engine.h"
#include "engine/statement_scan.h"
#include "platform/fake/recording_platform.h"
#include "text/runtime_text.h"

namespace kavo {
namespace {

// About a few milliseconds of work per input at most; enough to go round loops, nest blocks and
// end waits and glides half way.
constexpr int kStatementBudget = 3000;
constexpr std::size_t kPlatformWorkBudget = 30000;

// A failed expectation of the harness: reported like a crash, with the input kept.
void Expect(bool condition) {
    if (!condition) std::abort();
}

// The recording fake, with a meter on the calls that every long stretch of a run goes through:
// the clock (waits, glides), the delay timer (a delay below 1 ms) and the queue (the engine's
// pump while a block is reached). Past the budget it stops every run. The record of calls is
// dropped as it is metered, so a long run does not keep it all. It also keeps which keys and
// buttons are down, to see that a run leaves none held.
class MeteredPlatform final : public RecordingPlatform {
  public:
    RunRegistry registry;
    std::size_t work = 0;
    std::set<std::uint32_t> keysDown;         // by virtual key, however pressed
    std::set<MouseButtonChange> buttonsDown;  // by the change that releases the button

    void Meter() {
        work += 1 + calls.size();
        ClearCalls();
        if (work > kPlatformWorkBudget) registry.StopAll();
    }

    std::uint64_t NowMicroseconds() override {
        Meter();
        return RecordingPlatform::NowMicroseconds();
    }
    TimerHandle CreateDelayTimer() override {
        Meter();
        return RecordingPlatform::CreateDelayTimer();
    }
    void ProcessPendingEvents() override {
        Meter();
        RecordingPlatform::ProcessPendingEvents();
    }

    void KeybdEvent(KeyCode code, KeyDirection direction) override {
        NoteKey(code, direction);
        RecordingPlatform::KeybdEvent(code, direction);
    }
    void SendKeyboardInput(const KeyboardInput& input) override {
        NoteKey(input.virtualKey, input.direction);
        RecordingPlatform::SendKeyboardInput(input);
    }
    void MouseEvent(MouseButtonChanges changes, int x, int y) override {
        constexpr std::pair<MouseButtonChange, MouseButtonChange> kButtons[] = {
            {MouseButtonChange::LeftDown, MouseButtonChange::LeftUp},
            {MouseButtonChange::RightDown, MouseButtonChange::RightUp},
            {MouseButtonChange::MiddleDown, MouseButtonChange::MiddleUp}};
        for (const auto& [down, up] : kButtons) {
            if (changes.Has(down) && !changes.Has(up)) buttonsDown.insert(up);
            if (changes.Has(up)) buttonsDown.erase(up);
        }
        RecordingPlatform::MouseEvent(changes, x, y);
    }

  private:
    void NoteKey(std::uint32_t key, KeyDirection direction) {
        if (direction == KeyDirection::Up)
            keysDown.erase(key);
        else
            keysDown.insert(key);
    }
};

// Scanning and cutting, checked against what the headers promise.
void ScanAndRead(std::string_view script) {
    const std::vector<ScannedStatement> statements = ScanStatements(script);
    const char* const begin = script.data();
    const char* const end = script.data() + script.size();
    int lastLine = 1;
    std::string buffer;
    for (const ScannedStatement& statement : statements) {
        Expect(statement.line >= lastLine);
        lastLine = statement.line;
        for (const std::string_view part : {statement.rawName, statement.arguments})
            Expect(part.empty() || (part.data() >= begin && part.data() + part.size() <= end));
        const std::string_view name = NameWithoutSpaces(statement.rawName, buffer);
        Expect(name.size() <= statement.rawName.size());
        std::size_t visited = 0;
        ForEachArgument(statement.arguments, [&](std::string_view argument) {
            // The first few only: NthArgument walks the text from its start each time.
            if (++visited <= 8) Expect(NthArgument(statement.arguments, visited) == argument);
            // The numbers are read from every argument; the integer form like atoi.
            TextToNumber(argument);
            const std::int32_t integer = TextToInteger(argument);
            const std::string ascii = FullWidthToAscii(argument);
            long long expected = std::strtoll(ascii.c_str(), nullptr, 10);
            expected = std::min<long long>(std::max<long long>(expected, INT32_MIN), INT32_MAX);
            Expect(integer == expected);
        });
        Expect(visited == CountArguments(statement.arguments));
    }
}

// The platform's own ways, chosen from the input so that a run of an input always meets the same
// ones: timers that cannot be made or set, no wake event, late timers, waits that end for
// messages or fail.
void VaryPlatform(std::string_view script, MeteredPlatform& platform) {
    const std::size_t bits = std::hash<std::string_view>{}(script);
    platform.failTimerCreation = (bits & 0x7) == 0;
    platform.failTimerSetting = ((bits >> 3) & 0x7) == 0;
    platform.failWakeEventCreation = ((bits >> 6) & 0x7) == 0;
    constexpr std::uint64_t kLateness[] = {0, 0, 700, 5000};
    platform.timerLatenessMicroseconds = kLateness[(bits >> 9) & 0x3];
    constexpr WaitPort::WaitResult kResults[] = {
        WaitPort::WaitResult::Timer, WaitPort::WaitResult::Messages, WaitPort::WaitResult::Messages,
        WaitPort::WaitResult::Failed};
    for (std::size_t k = 0; k < ((bits >> 11) & 0x3); ++k)
        platform.waitResults.push_back(kResults[(bits >> (13 + 2 * k)) & 0x3]);
    platform.refuseCursorPlacement = ((bits >> 19) & 0xF) == 0;
    platform.messageBoxResult = ((bits >> 23) & 0x3) == 0 ? 0 : 1;
}

void CheckAndRun(std::string_view script) {
    MeteredPlatform platform;
    VaryPlatform(script, platform);
    std::vector<ScriptFault> reported;
    int statements = 0;
    const CommandServices services{platform, platform, platform, [](Point, const Utf8Text&) {}};
    ScriptEngine engine;
    AddBuiltinCommands(engine, services);
    // As the program sets the engine up, with the faults kept and the budget watched.
    EngineHost host = ProgramEngineHost(platform, platform);
    host.reportFault = [&reported](const ScriptFault& fault) { reported.push_back(fault); };
    host.statementGate = [&](int line) {
        if (++statements > kStatementBudget) platform.registry.StopAll();
        platform.Meter();
        return CurrentRunMayGoOn(line);
    };
    engine.SetHost(host);

    const std::string text(script);
    PreparedScript prepared = engine.Prepare(text);
    // Exactly one of the two, and the fault is the check's.
    Expect(prepared.script.has_value() != prepared.fault.has_value());
    const std::optional<ScriptFault> checked = engine.CheckScript(text);
    Expect(checked.has_value() == prepared.fault.has_value());
    if (const std::optional<ScriptFault>& fault = prepared.fault) {
        Expect(checked->line == fault->line && checked->message == fault->message);
        // Nothing of a faulty script runs; the run reports the very fault the check found.
        LineSpan(text, fault->line);
        engine.RunScript(text);
        Expect(reported.size() == 1 && reported[0].line == fault->line &&
               reported[0].message == fault->message);
        Expect(platform.calls.empty() && platform.work == 0);
        // A block's body runs without the check: unknown names and unclosed blocks meet the
        // executor's fallbacks there.
        {
            const ScriptRun run(platform.registry, platform, platform);
            engine.RepeatScript(1, text);
        }
    } else {
        int line = 0;
        bool stopped = false;
        {
            const ScriptRun run(platform.registry, platform, platform);
            engine.Run(*prepared.script);
            stopped = run.StopRequested();
            line = run.Line();
        }
        Expect(reported.empty());
        if (stopped) StoppedText(text, line);
    }
    // However the run ended, it holds nothing and fine timing is released.
    Expect(platform.keysDown.empty() && platform.buttonsDown.empty());
    Expect(platform.preciseTimingDepth == 0);
    Expect(platform.registry.ActiveRuns() == 0);
}

}  // namespace
}  // namespace kavo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view script(reinterpret_cast<const char*>(data), size);
    kavo::ScanAndRead(script);
    kavo::CheckAndRun(script);
    return 0;
}
