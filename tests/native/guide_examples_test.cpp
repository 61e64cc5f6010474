// Every example script of the guide (docs/index.html, each <pre class="script">) passes the
// script's check and runs to its end against the recording fake, so the guide never shows a
// script that fails (but the one it shows as a 脚本错误). tests/gui/test_guide.py runs them
// under Wine too.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "commands/builtin_commands.h"
#include "commands/script_run.h"
#include "engine/script_engine.h"
#include "platform/fake/recording_platform.h"
#include "text/encoding.h"

namespace kavo {
namespace {

std::string Unescaped(std::string text) {
    const std::pair<const char*, const char*> entities[] = {
        {"&gt;", ">"}, {"&lt;", "<"}, {"&quot;", "\""}, {"&amp;", "&"}};
    for (const auto& [entity, character] : entities) {
        for (std::size_t at = text.find(entity); at != std::string::npos;
             at = text.find(entity, at + 1))
            text.replace(at, std::string(entity).size(), character);
    }
    return text;
}

struct GuideExample {
    std::string script;   // UTF-8 with LF line ends
    bool faulty = false;  // shown as a 脚本错误 (data-exit="3")
};

// The example scripts of the guide: each <pre class="script" ...>.
std::vector<GuideExample> GuideExamples() {
    std::ifstream file(KAVO_SOURCE_DIR "/docs/index.html", std::ios::binary);
    std::stringstream whole;
    whole << file.rdbuf();
    const std::string html = whole.str();
    std::vector<GuideExample> examples;
    const std::string open = "<pre class=\"script\"";
    for (std::size_t at = html.find(open); at != std::string::npos; at = html.find(open, at)) {
        const std::size_t tagEnd = html.find('>', at);
        if (tagEnd == std::string::npos) break;
        const std::string tag = html.substr(at, tagEnd - at);
        at = tagEnd + 1;
        const std::size_t end = html.find("</pre>", at);
        if (end == std::string::npos) break;
        examples.push_back({Unescaped(html.substr(at, end - at)),
                            tag.find("data-exit=\"3\"") != std::string::npos});
    }
    return examples;
}

TEST(GuideExamples, EachExampleScriptPassesTheCheckAndRunsToItsEnd) {
    const std::vector<GuideExample> examples = GuideExamples();
    ASSERT_FALSE(examples.empty()) << "no <pre class=\"script\"> in docs/index.html";
    RecordingPlatform platform;
    platform.processes = {{4, 3000, "notepad.exe"}};
    platform.windows = {{20, 3000, 2, "Notepad", "无标题 - 记事本", true}};
    platform.childWindows[20] = {{21, 3000, 2, "Edit", "", true}};
    ScriptEngine engine;
    // Notepad is bound with 热键执行, so that 目标 names its window.
    const CommandServices services{
        platform, platform, platform, nullptr, [] { return Utf8Text("notepad.exe"); }, nullptr};
    AddBuiltinCommands(engine, services);
    engine.SetHost({.statementGate = CurrentRunMayGoOn});
    RunRegistry runs;
    for (const GuideExample& example : examples) {
        std::string script;
        for (const char c : example.script) {
            if (c == '\n') script += '\r';
            script += c;
        }
        const RuntimeText gbk = Utf8ToGbk(script);
        const auto fault = engine.CheckScript(gbk);
        if (example.faulty) {
            EXPECT_TRUE(fault.has_value()) << example.script;
            continue;
        }
        EXPECT_FALSE(fault.has_value()) << example.script << "\n" << (fault ? fault->message : "");
        platform.ClearCalls();
        const ScriptRun run(runs, platform, platform);
        engine.RunScript(gbk);
        EXPECT_FALSE(run.StopRequested()) << example.script << ": " << run.StopReason();
        EXPECT_FALSE(platform.calls.empty()) << example.script;
    }
}

}  // namespace
}  // namespace kavo
