// Runs from the command line: which arguments ask for a run, which page a name means (never one
// outside the library), how each run ends and the one log line it leaves.
#include "app/command_line_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "commands/builtin_commands.h"
#include "native/fake_keyboard_hook.h"
#include "platform/fake/recording_platform.h"
#include "run_control/run_control.h"
#include "text/encoding.h"

namespace kavo {
namespace {

TEST(CommandLine, ArgumentsAskForARunACheckOrTheWindow) {
    struct Case {
        std::vector<Utf8Text> arguments;
        CommandLineRequest expected;
    };
    const std::vector<Case> cases = {
        {{}, {CommandLineMode::Window, "", false}},
        {{"/run", "示例\\页面"}, {CommandLineMode::Run, "示例\\页面", false}},
        {{"/RUN", "示例\\页面"}, {CommandLineMode::Run, "示例\\页面", false}},
        {{"-run", "示例\\页面"}, {CommandLineMode::Run, "示例\\页面", false}},
        {{"/check", "示例\\页面"}, {CommandLineMode::Check, "示例\\页面", false}},
        // An unquoted name with spaces arrives in parts.
        {{"/run", "示例脚本\\1", "欢迎使用"},
         {CommandLineMode::Run, "示例脚本\\1 欢迎使用", false}},
        {{"/run", "示例脚本\\1 欢迎使用"}, {CommandLineMode::Run, "示例脚本\\1 欢迎使用", false}},
        {{"/run"}, {CommandLineMode::Run, "", true}},
        {{"/check", ""}, {CommandLineMode::Check, "", true}},
        // Anything else is not ours: the window opens as usual.
        {{"/runs", "a\\b"}, {CommandLineMode::Window, "", false}},
        {{"run", "a\\b"}, {CommandLineMode::Window, "", false}},
        {{"C:\\x.txt"}, {CommandLineMode::Window, "", false}},
        {{"/"}, {CommandLineMode::Window, "", false}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseCommandLine(c.arguments), c.expected)
            << (c.arguments.empty() ? "(none)" : c.arguments.front());
    }
}

TEST(CommandLine, APageNameStaysInsideTheLibraryOrIsAnAbsoluteTxtPath) {
    const Utf8Text root = "C:\\kavo\\content\\";
    struct Case {
        Utf8Text page;
        std::optional<Utf8Text> path;
    };
    const std::vector<Case> cases = {
        {"示例\\页面", root + "示例\\页面.txt"},
        {"示例/页面", root + "示例\\页面.txt"},
        {"示例\\页面.txt", root + "示例\\页面.txt"},
        {"示例\\页面.TXT", root + "示例\\页面.TXT"},
        {"示例\\1 欢迎使用", root + "示例\\1 欢迎使用.txt"},
        {"示例\\a.b", root + "示例\\a.b.txt"},
        {"C:\\tasks\\夜间.txt", "C:\\tasks\\夜间.txt"},
        {"d:/tasks/a.TXT", "d:\\tasks\\a.TXT"},
        {"\\\\server\\share\\a.txt", "\\\\server\\share\\a.txt"},
        // Outside the library, or not a page of it.
        {"页面", std::nullopt},
        {"a\\b\\c", std::nullopt},
        {"..\\a", std::nullopt},
        {"a\\..", std::nullopt},
        {".\\a", std::nullopt},
        {".git\\a", std::nullopt},
        {"\\a", std::nullopt},
        {"a\\", std::nullopt},
        {"a\\b:stream", std::nullopt},
        {"a\\b*", std::nullopt},
        {"a\\b.", std::nullopt},
        {"a\\.txt", root + "a\\.txt"},
        {"C:a\\b", std::nullopt},
        // An absolute path names a .txt file, through plain names only.
        {"C:\\tasks\\a.exe", std::nullopt},
        {"C:\\tasks\\..\\a.txt", std::nullopt},
        {"C:\\tasks\\\\a.txt", std::nullopt},
        {"C:\\", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ResolvePageArgument(root, c.page), c.path) << c.page;
}

// The fields of one log line as a reader of the log gets them back: cut at the tabs, then
// "\\t", "\\n", "\\r", "\\\\" and "\\xNN" turned back into their characters.
std::vector<Utf8Text> LogFields(const Utf8Text& line) {
    std::vector<Utf8Text> fields(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\t') {
            fields.emplace_back();
        } else if (c != '\\' || i + 1 == line.size()) {
            fields.back() += c;
        } else if (const char next = line[++i]; next == 'x' && i + 2 < line.size()) {
            fields.back() += static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            fields.back() += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        }
    }
    return fields;
}

TEST(CommandLine, TheLogLineIsGbkWithTabsAndEndsInCrLf) {
    EXPECT_EQ(GbkToUtf8(RunLogLine("2026-12-11 01:02:03", CommandLineMode::Run, "示例\\页面",
                                   {RunOutcome::Completed, "运行完毕"})),
              "2026-12-11 01:02:03\t/run\t示例\\\\页面\t0\t运行完毕\r\n");
    EXPECT_EQ(GbkToUtf8(RunLogLine("t", CommandLineMode::Check, "ab", {})),
              "t\t/check\tab\t0\t\r\n");
}

TEST(CommandLine, TabsAndControlCharactersInAnyFieldAreEscapedAndReadBack) {
    struct Case {
        const char* what;
        Utf8Text field;
        Utf8Text written;  // as the log shows it
    };
    const Case cases[] = {
        {"a tab", "页\t面", "页\\t面"},
        {"line breaks", "第1行\r\n下一行\n", "第1行\\r\\n下一行\\n"},
        {"a backslash, and one before a t", "C:\\tasks\\a", "C:\\\\tasks\\\\a"},
        {"other control characters",
         std::string("a\x01"
                     "b\x1B\x7F",
                     5) +
             std::string(1, '\0'),
         "a\\x01b\\x1B\\x7F\\x00"},
        {"plain text", "运行完毕 (ok)", "运行完毕 (ok)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Utf8Text line = GbkToUtf8(
            RunLogLine(c.field, CommandLineMode::Run, c.field, {RunOutcome::Stopped, c.field}));
        EXPECT_EQ(line, c.written + "\t/run\t" + c.written + "\t4\t" + c.written + "\r\n");
        // One line, five fields, each what it was.
        ASSERT_EQ(line.find_first_of("\r\n"), line.size() - 2);
        EXPECT_EQ(LogFields(line.substr(0, line.size() - 2)),
                  (std::vector<Utf8Text>{c.field, "/run", c.field, "4", c.field}));
    }
}

class CommandLineRuns : public ::testing::Test {
  protected:
    CommandLineRuns()
        : services_{platform, platform, platform, nullptr, nullptr},
          ports_{engine, platform, control, [] { return Utf8Text("T"); }} {
        AddBuiltinCommands(engine, services_);
        engine.SetHost({.statementGate = CurrentRunMayGoOn});
        platform.AddFolder("C:\\kavo\\content\\示例");
    }
    void AddPage(const Utf8Text& name, const char* utf8Script) {
        platform.AddFile("C:\\kavo\\content\\示例\\" + name, Utf8ToGbk(utf8Script));
    }
    RunReport Run(CommandLineMode mode, const Utf8Text& page) {
        return RunFromCommandLine(
            ParseCommandLine({mode == CommandLineMode::Run ? "/run" : "/check", page}), ports_);
    }
    Utf8Text Log() const { return GbkToUtf8(platform.FileBytes("C:\\kavo\\kavo-run.log")); }

    RecordingPlatform platform;
    FakeKeyboardHook hook;
    RunControl control{hook, platform, platform};
    ScriptEngine engine;

    CommandLineRunPorts& Ports() { return ports_; }

  private:
    CommandServices services_;
    CommandLineRunPorts ports_;
};

TEST_F(CommandLineRuns, EachEndHasItsExitCodeAndReasonAndOneLogLine) {
    AddPage("好.txt", "特殊按键(20)\r\n延时(5)");
    AddPage("错.txt", "特殊按键(20)\r\n没有这个(1)");
    AddPage("窗口.txt", "特殊按键(20)\r\n按键消息(进程:nothing.exe,65,5)\r\n特殊按键(21)");
    AddPage("停.txt", "特殊按键(20)\r\n延时(100000)\r\n特殊按键(21)");
    AddPage("等.txt", "特殊按键(20)\r\n等待窗口(进程:nothing.exe,300)\r\n特殊按键(21)");
    // The text ends at a zero byte, as the library reads a page.
    platform.AddFile("C:\\kavo\\content\\示例\\零.txt",
                     Utf8ToGbk("特殊按键(20)") + std::string(1, '\0') + Utf8ToGbk("没有这个(1)"));
    platform.AddFolder("C:\\kavo\\content\\示例\\夹.txt");
    // The stop key, pressed while 停 waits (a key press waits a moment too: only the long
    // wait of its second line counts).
    bool pressStopKey = false;
    platform.beforeWait = [this, &pressStopKey] {
        if (ScriptRun* run = CurrentRun(); pressStopKey && run != nullptr && run->Line() == 2)
            control.StopAll();
    };

    struct Case {
        CommandLineMode mode;
        Utf8Text page;
        RunOutcome outcome;
        Utf8Text reason;
        bool ran;  // its first statement pressed Caps Lock
    };
    const std::vector<Case> cases = {
        {CommandLineMode::Check, "示例\\好", RunOutcome::Completed, "检查通过", false},
        {CommandLineMode::Check, "示例\\错", RunOutcome::ScriptFault, "脚本错误：第2行", false},
        {CommandLineMode::Run, "示例\\错", RunOutcome::ScriptFault, "脚本错误：第2行", false},
        {CommandLineMode::Run, "示例\\无", RunOutcome::PageMissing,
         "找不到页面或无法读取：C:\\kavo\\content\\示例\\无.txt", false},
        {CommandLineMode::Run, "示例\\夹", RunOutcome::PageMissing, "找不到页面或无法读取", false},
        {CommandLineMode::Run, "..\\x", RunOutcome::PageMissing, "页面名称无效：..\\x", false},
        {CommandLineMode::Run, "", RunOutcome::BadCommandLine, "命令行缺少页面", false},
        {CommandLineMode::Run, "示例\\窗口", RunOutcome::WindowNotFound,
         "找不到窗口：进程:nothing.exe（第 2 行）", true},
        {CommandLineMode::Run, "示例\\等", RunOutcome::WindowNotFound,
         "等了 300 毫秒，窗口没有出现：进程:nothing.exe（第 2 行）", true},
        {CommandLineMode::Run, "示例\\停", RunOutcome::Stopped, "已停止，停在第 2 行：延时(100000)",
         true},
        {CommandLineMode::Run, "示例\\零", RunOutcome::Completed, "运行完毕", true},
        {CommandLineMode::Run, "示例\\好", RunOutcome::Completed, "运行完毕", true},
    };
    std::vector<std::vector<Utf8Text>> expected;
    for (const Case& c : cases) {
        platform.ClearCalls();
        pressStopKey = c.page == "示例\\停";
        const RunReport report = Run(c.mode, c.page);
        EXPECT_EQ(report.outcome, c.outcome) << c.page;
        EXPECT_EQ(report.reason.rfind(c.reason, 0), 0u) << c.page << ": " << report.reason;
        EXPECT_EQ(!platform.CallsStartingWith({"SendKeyboardInput(vk=20,"}).empty(), c.ran)
            << c.page;
        // Nothing after the stop.
        EXPECT_TRUE(platform.CallsStartingWith({"SendKeyboardInput(vk=21,"}).empty()) << c.page;
        expected.push_back({"T", c.mode == CommandLineMode::Run ? "/run" : "/check", c.page,
                            std::to_string(static_cast<int>(c.outcome)), report.reason});
    }
    // One line per run, every earlier line kept; a reason of several lines (a 脚本错误's
    // message) stays on its one line.
    std::vector<std::vector<Utf8Text>> logged;
    const Utf8Text log = Log();
    for (std::size_t start = 0, end; (end = log.find("\r\n", start)) != Utf8Text::npos;
         start = end + 2)
        logged.push_back(LogFields(log.substr(start, end - start)));
    EXPECT_EQ(logged, expected);
}

TEST_F(CommandLineRuns, AnAbsolutePathRunsAFileOutsideTheLibraryAndTheLogKeepsOldLines) {
    platform.AddFile("C:\\kavo\\kavo-run.log", "old line\r\n");
    platform.AddFile("D:\\tasks\\夜间.txt", Utf8ToGbk("特殊按键(20)"));
    EXPECT_EQ(Run(CommandLineMode::Run, "D:\\tasks\\夜间.txt").outcome, RunOutcome::Completed);
    EXPECT_FALSE(platform.CallsStartingWith({"SendKeyboardInput(vk=20,"}).empty());
    EXPECT_EQ(Log(), "old line\r\nT\t/run\tD:\\\\tasks\\\\夜间.txt\t0\t运行完毕\r\n");
}

TEST_F(CommandLineRuns, ALogThatCannotBeWrittenLeavesTheOutcome) {
    AddPage("好.txt", "特殊按键(20)");
    platform.unwritablePaths.insert("C:\\kavo\\kavo-run.log");
    EXPECT_EQ(Run(CommandLineMode::Run, "示例\\好").outcome, RunOutcome::Completed);
    EXPECT_EQ(Log(), "");
    // Positive control: the same run with a writable log leaves its line.
    platform.unwritablePaths.clear();
    EXPECT_EQ(Run(CommandLineMode::Run, "示例\\好").outcome, RunOutcome::Completed);
    EXPECT_EQ(Log(), "T\t/run\t示例\\\\好\t0\t运行完毕\r\n");
}

TEST_F(CommandLineRuns, TheLogRollsOverAtOneMegabyteKeepingOneOlderLog) {
    AddPage("好.txt", "特殊按键(20)");
    const Utf8Text log = "C:\\kavo\\kavo-run.log";
    const Utf8Text older = "C:\\kavo\\kavo-run.log.1";
    const Utf8Text line = "T\t/run\t示例\\\\好\t0\t运行完毕\r\n";
    const std::size_t lineBytes = Utf8ToGbk(line).size();
    // Positive control: a log the line still fits in (to the byte) grows.
    const std::string nearlyFull(kRunLogLimitBytes - lineBytes, 'x');
    platform.AddFile(log, nearlyFull);
    Run(CommandLineMode::Run, "示例\\好");
    EXPECT_EQ(platform.FileBytes(log), nearlyFull + Utf8ToGbk(line));
    EXPECT_FALSE(platform.HasFile(older));
    // One more line would pass the limit: the log becomes the older one, a new log begins.
    Run(CommandLineMode::Run, "示例\\好");
    EXPECT_EQ(platform.FileBytes(older), nearlyFull + Utf8ToGbk(line));
    EXPECT_EQ(Log(), line);
    // Next time round the older log is replaced; never more than the two.
    platform.AddFile(log, std::string(kRunLogLimitBytes, 'y'));
    Run(CommandLineMode::Run, "示例\\好");
    EXPECT_EQ(platform.FileBytes(older), std::string(kRunLogLimitBytes, 'y'));
    EXPECT_EQ(Log(), line);
    EXPECT_EQ(OlderRunLogPath("C:\\kavo"), older);
    std::vector<Utf8Text> names;
    for (const DirectoryEntry& entry : platform.ListDirectory("C:\\kavo", "kavo-run*"))
        names.push_back(entry.name);
    EXPECT_THAT(names, ::testing::UnorderedElementsAre("kavo-run.log", "kavo-run.log.1"));
}

TEST_F(CommandLineRuns, TheLogLineCarriesTheNoteOfAnElevatedRunFromAFolderOthersCanChange) {
    AddPage("好.txt", "特殊按键(20)");
    Ports().logNote = "文件夹不安全";
    EXPECT_EQ(Run(CommandLineMode::Run, "示例\\好").outcome, RunOutcome::Completed);
    // The log writes a backslash as two.
    EXPECT_EQ(Log(), "T\t/run\t示例\\\\好\t0\t运行完毕；注意：文件夹不安全\r\n");
}

TEST_F(CommandLineRuns, ARequestEndedFromOutsideLogsOnceWhoeverEndsIt) {
    // The run's thread and the program's end may both come to log the same request: one line.
    const CommandLineRequest request = ParseCommandLine({"/run", "示例\\好"});
    EXPECT_TRUE(LogRunOnce(request, Ports(), EndedFromOutsideReport()));
    EXPECT_FALSE(LogRunOnce(request, Ports(), {RunOutcome::Completed, "运行完毕"}));
    EXPECT_EQ(Log(), "T\t/run\t示例\\\\好\t4\t已停止：程序被要求关闭（关机、注销或结束任务）\r\n");
}

// A page saved as UTF-8 by another editor runs as the library shows it.
TEST_F(CommandLineRuns, AUtf8PageRunsAsGbk) {
    for (const std::string mark : {"", "\xEF\xBB\xBF"}) {
        platform.ClearCalls();
        platform.AddFile("C:\\kavo\\content\\示例\\u.txt", mark + "特殊按键(20)\r\n延时(1)");
        const RunReport report = Run(CommandLineMode::Run, "示例\\u");
        EXPECT_EQ(report.outcome, RunOutcome::Completed) << report.reason;
        EXPECT_FALSE(platform.CallsStartingWith({"SendKeyboardInput(vk=20,"}).empty());
    }
}

}  // namespace
}  // namespace kavo
