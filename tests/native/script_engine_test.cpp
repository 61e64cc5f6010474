// The command table, the statement walk, counted blocks and the check before a run.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <pthread.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "commands/script_words.h"
#include "engine/script_engine.h"
#include "text/encoding.h"

namespace kavo {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// Scripts are written in UTF-8 here and handed to the engine as GBK, as the editor would.
RuntimeText G(const std::string& utf8) {
    return Utf8ToGbk(utf8);
}

// An engine holding the eleven commands in the order start-up adds them, whose handlers write
// "name(arg|arg)" (UTF-8) into log; the event pump writes "pump" and faults are kept.
class EngineTest : public ::testing::Test {
  protected:
    EngineTest() {
        AddScriptWords(engine, FirstElevenWords(),
                       [this](const ScriptWord& word) { return Logged(std::string(word.name)); });
        host.pump = [this] { log.push_back("pump"); };
        host.reportFault = [this](const ScriptFault& fault) { faults.push_back(fault); };
        engine.SetHost(host);
    }

    CommandHandler Logged(const std::string& utf8Name) {
        return [this, utf8Name](const std::vector<RuntimeText>& arguments) {
            std::string entry = utf8Name + "(";
            for (std::size_t i = 0; i < arguments.size(); ++i) {
                if (i > 0) entry += '|';
                entry += GbkToUtf8(arguments[i]);
            }
            log.push_back(entry + ")");
            return std::int32_t{1};
        };
    }
    void AddLogged(const std::string& utf8Name, std::int32_t count) {
        engine.AddCommand(G(utf8Name), Logged(utf8Name), count);
    }

    // Changes one part of the host, keeping the others.
    void SetPump(std::function<void()> pump) {
        host.pump = std::move(pump);
        engine.SetHost(host);
    }
    void SetRunHooks(std::function<void()> begin, std::function<void()> end) {
        host.runBegin = std::move(begin);
        host.runEnd = std::move(end);
        engine.SetHost(host);
    }

    void Run(const std::string& utf8Script) { engine.RunScript(G(utf8Script)); }

    ScriptEngine engine;
    EngineHost host;
    std::vector<std::string> log;
    std::vector<ScriptFault> faults;
};

// --- the command table ---

TEST_F(EngineTest, FindCommandGivesPositionsFromOneAndLengthPlusOneWhenAbsent) {
    EXPECT_EQ(engine.FindCommand(G("信息框")), 1);
    EXPECT_EQ(engine.FindCommand(G("计次循环")), 8);
    EXPECT_EQ(engine.FindCommand(G("特殊按键")), 11);
    EXPECT_EQ(engine.FindCommand(G("计次循环尾")), 12);
    EXPECT_EQ(engine.FindCommand(""), 12);
    // No folding of width, case or spaces: a word that differs in one byte is not found.
    EXPECT_EQ(engine.FindCommand(G("鼠标 ")), 12);
    EXPECT_EQ(engine.FindCommand(G(" 鼠标")), 12);
    EXPECT_EQ(engine.FindCommand(G("鼠")), 12);
    RuntimeText oneByteOff = G("鼠标");
    oneByteOff.back() = static_cast<char>(oneByteOff.back() + 1);
    EXPECT_EQ(engine.FindCommand(oneByteOff), 12);
}

TEST_F(EngineTest, AnEntryAddedTwiceIsAppendedAndOnlyTheFirstIsFound) {
    AddLogged("鼠标", 1);
    ASSERT_EQ(engine.Commands().size(), 12u);
    EXPECT_EQ(engine.Commands()[11].name, G("鼠标"));
    EXPECT_EQ(engine.FindCommand(G("鼠标")), 2);
    EXPECT_EQ(engine.FindCommand(G("计次循环尾")), 13);
    EXPECT_EQ(engine.FindCommand(""), 13);
}

TEST_F(EngineTest, AddCommandKeepsItsFieldsInOrder) {
    const CommandEntry& entry = engine.Commands()[7];
    EXPECT_EQ(entry.name, G("计次循环"));
    EXPECT_EQ(entry.argumentCount, 2);
    EXPECT_TRUE(entry.isLoop);
    EXPECT_FALSE(engine.Commands()[3].isLoop);
    EXPECT_EQ(engine.Commands()[3].argumentCount, 5);
}

TEST(ScriptEngineTable, InvokeHandlerPassesExactlyCountTextsPaddingMissingOnes) {
    ScriptEngine engine;
    std::vector<RuntimeText> received;
    const CommandHandler handler = [&received](const std::vector<RuntimeText>& arguments) {
        received = arguments;
        return std::int32_t{42};
    };
    const std::vector<RuntimeText> five{"1", "2", "3", "4", "5"};
    EXPECT_EQ(engine.InvokeHandler(handler, five, 5), 42);
    EXPECT_EQ(received, five);
    engine.InvokeHandler(handler, five, 1);
    EXPECT_THAT(received, ElementsAre("1"));
    engine.InvokeHandler(handler, five, 3);
    EXPECT_THAT(received, ElementsAre("1", "2", "3"));
    engine.InvokeHandler(handler, {"a"}, 3);
    EXPECT_THAT(received, ElementsAre("a", "", ""));
    engine.InvokeHandler(handler, five, 0);
    EXPECT_THAT(received, IsEmpty());
    EXPECT_EQ(engine.InvokeHandler(CommandHandler{}, five, 2), 0);  // nothing to call
}

// --- splitting and numbers ---

TEST(ScriptEngineText, SplitArgumentsCutsAtEveryCommaAndDropsOnlyAnEmptyLastPiece) {
    ScriptEngine engine;
    struct Case {
        std::string utf8;
        std::vector<std::string> parts;
    };
    const Case cases[] = {
        {"", {}},
        {"100", {"100"}},
        {"你好,世界", {"你好", "世界"}},
        {"你好,世界,", {"你好", "世界"}},
        {",世界", {"", "世界"}},
        {",", {""}},
        {",,", {"", ""}},
        {"a,,b", {"a", "", "b"}},
        {"1, 2", {"1", " 2"}},  // nothing trimmed
        {"a，b", {"a，b"}},     // a full-width comma separates nothing
        {" ", {" "}},
        {"a(b,c", {"a(b", "c"}},
    };
    for (const Case& c : cases) {
        std::vector<RuntimeText> expected;
        for (const std::string& part : c.parts) expected.push_back(G(part));
        EXPECT_EQ(engine.SplitArguments(G(c.utf8)), expected) << c.utf8;
    }
}

TEST(ScriptEngineText, TextToNumberReadsTheLeadingNumberLikeAtofAndTruncates) {
    struct Case {
        std::string utf8;
        std::int32_t value;
    };
    const Case cases[] = {
        {"100", 100},
        {"3.9", 3},
        {"-3.9", -3},
        {"３.９", 3},
        {"－３．９", -3},
        {"１００", 100},
        {"　７", 7},  // ideographic space, skipped like any leading white space
        {" \t\r\n12", 12},
        {"+5", 5},
        {"＋５", 5},
        {"3,1", 3},
        {"42abc", 42},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {".", 0},
        {".5", 0},
        {"-.5e1", -5},
        {"1e3", 1000},
        {"1E+2x", 100},
        {"2e", 2},
        {"2e-", 2},
        {"7.", 7},
        {"0x10", 0},  // no hexadecimal
        {"inf", 0},
        {"nan", 0},
        {"- 5", 0},
        {"4294967301", 5},  // low 32 bits of the 64-bit value
        {"3000000000", -1294967296},
        {"-2147483649", 2147483647},
        {"9007199254740993", 0},    // 2^53 + 1 rounds to 2^53, whose low 32 bits are 0
        {"9007199254740993.7", 2},  // rounds to 2^53 + 2
        {"4294967296.5", 0},
        {"-9223372036854775808", 0},  // -2^63 fits exactly; low bits 0
        {"9223372036854775808", 0},   // 2^63 does not fit: 0
        {"1e30", 0},
        {"-1e300", 0},
        {"1e999", 0},
        {"-1e999", 0},
        {"1e-999", 0},
        {"99999999999999999999999999999999999999", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(TextToNumber(G(c.utf8)), c.value) << c.utf8;
}

TEST(ScriptEngineText, TextToIntegerReadsTheLeadingIntegerLikeAtoi) {
    struct Case {
        std::string utf8;
        std::int32_t value;
    };
    const Case cases[] = {
        {"13", 13},
        {"3.9", 3},
        {"-12x", -12},
        {"１２", 12},
        {"　＋７", 7},
        {"abc", 0},
        {"", 0},
        {"1e3", 1},
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"99999999999999999999", INT_MAX},
        {"-2147483648", INT_MIN},
        {"-99999999999", INT_MIN},
    };
    for (const Case& c : cases) EXPECT_EQ(TextToInteger(G(c.utf8)), c.value) << c.utf8;
}

// --- statements ---

TEST_F(EngineTest, StatementsAreMatchedAndHandedTheirArguments) {
    struct Case {
        std::string script;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {"信息框(你好,世界)", {"信息框(你好|世界)"}},
        {"  信 息　框 (你好,世界)", {"信息框(你好|世界)"}},  // ASCII and full-width spaces
        {"信息框(你好,世界,)", {"信息框(你好|世界)"}},
        {"信息框(,世界)", {"信息框(|世界)"}},
        {"信息框(你好,　世界 )", {"信息框(你好|　世界 )"}},  // arguments keep their spaces
        {"鼠标(左键)延时(100)", {"鼠标(左键)", "延时(100)"}},
        {"信息框(a(b,c)", {"信息框(a(b|c)"}},
        {"鼠标(左键,右键,中键)", {"鼠标(左键)"}},  // only argumentCount texts
        {"鼠标消息(1,2,3,4,5)", {"鼠标消息(1|2|3|4|5)"}},
        {"按键消息(1,2,3,4,5)", {"按键消息(1|2|3)"}},
        {"鼠标(左键);\r\n延时(100);\r\n", {"鼠标(左键)", "延时(100)"}},
        {"信息框（你好,世界）\r\n说明文字\r\n\r\n延时(1", {}},  // nothing to run
        {"延时(1\r\n)", {}},                                    // parentheses on different lines
        {"", {}},
    };
    for (const Case& c : cases) {
        log.clear();
        faults.clear();
        Run(c.script);
        EXPECT_EQ(log, c.log) << c.script;
        EXPECT_THAT(faults, IsEmpty()) << c.script;
    }
}

TEST_F(EngineTest, ACarriageReturnBeforeAStatementStaysInItsName) {
    // Only LF separates lines; a lone CR is an ordinary character of the name.
    EXPECT_TRUE(engine.CheckScript(G("鼠标(左键)\r延时(1)")).has_value());
    EXPECT_FALSE(engine.CheckScript(G("鼠标(左键)\r\n延时(1)")).has_value());
}

TEST_F(EngineTest, SpaceRemovalNeverSplitsADoubleByteCharacter) {
    // "啊、" is B0 A1 A1 A2: a byte search for A1 A1 would cut both characters in half.
    const RuntimeText name = "\xB0\xA1\xA1\xA2";
    std::vector<RuntimeText> received;
    engine.AddCommand(
        name,
        [&received](const std::vector<RuntimeText>& arguments) {
            received = arguments;
            return std::int32_t{0};
        },
        1);
    engine.RunScript(" " + name + "(\xA1\xA1x)");
    EXPECT_THAT(faults, IsEmpty());
    EXPECT_THAT(received, ElementsAre("\xA1\xA1x"));
}

// --- counted blocks ---

TEST_F(EngineTest, CountedBlocksRepeatTheirStatements) {
    struct Case {
        std::string script;
        std::size_t delays;
    };
    const Case cases[] = {
        {"计次循环(3,1)\r\n延时(100)\r\n计次循环尾(1)", 3},
        {"计次循环(0,1)\r\n延时(100)\r\n计次循环尾(1)", 0},
        {"计次循环(-4,1)\r\n延时(100)\r\n计次循环尾(1)", 0},
        {"计次循环(３,1)\r\n延时(100)\r\n计次循环尾(1)", 3},
        {"计次循环(2.9,1)\r\n延时(100)\r\n计次循环尾(1)", 2},
        {"计次循环(次数,1)\r\n延时(100)\r\n计次循环尾(1)", 0},
        {"计次循环(2,1)\r\n计次循环(3,2)\r\n延时(100)\r\n计次循环尾(2)\r\n计次循环尾(1)", 6},
        {"计次循环(2,1)计次循环(3,2)延时(100)计次循环尾(2)计次循环尾(1)", 6},
        {"计次循环(2,1)\r\n计次循环(2,2)\r\n计次循环(2,3)\r\n延时(1)\r\n计次循环尾(3)\r\n"
         "计次循环尾(2)\r\n计次循环尾(1)",
         8},
        // Ids are compared byte for byte: "2, 1" has the id " 1".
        {"计次循环(2, 1)\r\n延时(100)\r\n计次循环尾( 1)", 2},
        {"计次循环(2,a)\r\n延时(100)\r\n计次循环尾(a)", 2},
        {"计次循环(2,１)\r\n延时(100)\r\n计次循环尾(１)", 2},
        // The same id twice in a row: two blocks one after the other.
        {"计次循环(2,1)\r\n延时(1)\r\n计次循环尾(1)\r\n计次循环(3,1)\r\n延时(1)\r\n计次循环尾(1)",
         5},
        // An empty body.
        {"计次循环(5,1)\r\n计次循环尾(1)", 0},
    };
    for (const Case& c : cases) {
        log.clear();
        faults.clear();
        Run(c.script);
        EXPECT_THAT(faults, IsEmpty()) << c.script;
        std::size_t delays = 0;
        for (const std::string& entry : log) delays += entry.rfind("延时(", 0) == 0;
        EXPECT_EQ(delays, c.delays) << c.script;
    }
}

TEST_F(EngineTest, ABlockRunsInPlaceBetweenTheStatementsAroundIt) {
    Run("鼠标(左)\r\n计次循环(2,1)\r\n延时(1)\r\n鼠标(中)\r\n计次循环尾(1)\r\n鼠标(右)");
    EXPECT_THAT(log, ElementsAre("鼠标(左)", "pump", "pump", "延时(1)", "鼠标(中)", "延时(1)",
                                 "鼠标(中)", "鼠标(右)"));
}

TEST_F(EngineTest, BlockStatementsKeepTheirExactTextWhenRebuilt) {
    // Arguments with "(", spaces and full-width characters survive the body's second matching.
    Run("计次循环(2,1)\r\n信息框(a(b, 世　界)\r\n计次循环尾(1)");
    EXPECT_THAT(faults, IsEmpty());
    EXPECT_THAT(log, ElementsAre("pump", "信息框(a(b| 世　界)", "信息框(a(b| 世　界)"));
}

TEST_F(EngineTest, TheEventPumpRunsOncePerCollectedStatement) {
    Run("计次循环(2,1)\r\n计次循环(3,2)\r\n延时(1)\r\n计次循环尾(2)\r\n计次循环尾(1)");
    // The outer block collects three statements; each run of its body collects one.
    EXPECT_THAT(log, ElementsAre("pump", "pump", "pump",                   //
                                 "pump", "延时(1)", "延时(1)", "延时(1)",  //
                                 "pump", "延时(1)", "延时(1)", "延时(1)"));
}

TEST_F(EngineTest, TheEventPumpMayRunAnotherScriptInTheMiddleOfCollecting) {
    // A pump on the user-interface thread can start a second run nested in the first.
    bool nested = false;
    SetPump([&] {
        log.push_back("pump");
        if (!nested) {
            nested = true;
            Run("鼠标(嵌套)");
        }
    });
    Run("计次循环(1,1)\r\n延时(1)\r\n计次循环尾(1)");
    EXPECT_THAT(log, ElementsAre("pump", "鼠标(嵌套)", "延时(1)"));
}

// --- the check before a run ---

struct FaultCase {
    std::string script;
    int line;
    std::string statement;  // UTF-8
    std::string problem;    // part of the message
};

TEST_F(EngineTest, AFaultyScriptIsReportedOnceWithItsLineAndNothingRuns) {
    const FaultCase cases[] = {
        {"鼠标(左键)\r\n鼠票(左键)", 2, "鼠票(左键)", "“鼠票”不是命令"},
        {"鼠标(左键)鼠票(左键)", 1, "鼠票(左键)", "“鼠票”不是命令"},
        {"x鼠标(左键)", 1, "x鼠标(左键)", "“x鼠标”不是命令"},
        {"\t鼠标(左键)", 1, "\t鼠标(左键)", "不是命令"},  // tabs are not removed
        {"(备注)", 1, "(备注)", "括号前面没有命令名"},
        {"延时(1)) 延时(2)", 1, ") 延时(2)", "“)延时”不是命令"},
        {"延时()", 1, "延时()", "延时需要1个参数，这里只有0个"},
        {"信息框(你好,)", 1, "信息框(你好,)", "信息框需要2个参数，这里只有1个"},
        {"\r\n\r\n鼠标消息(1,2,3,4)", 3, "鼠标消息(1,2,3,4)", "鼠标消息需要5个参数，这里只有4个"},
        {"计次循环(3)\r\n延时(1)\r\n计次循环尾()", 1, "计次循环(3)", "计次循环需要两个参数"},
        {"计次循环(3,)\r\n延时(1)\r\n计次循环尾()", 1, "计次循环(3,)", "计次循环需要两个参数"},
        {"计次循环(3,1)\r\n延时(1)", 1, "计次循环(3,1)", "没有配对的结束语句“计次循环尾(1)”"},
        {"计次循环(2, 1)\r\n延时(1)\r\n计次循环尾(1)", 1, "计次循环(2, 1)",
         "没有配对的结束语句“计次循环尾( 1)”"},
        {"计次循环(3,1)\r\n延时(1)\r\n 计次循环尾(1)", 1, "计次循环(3,1)", "没有配对"},
        {"延时(1)\r\n计次循环尾(1)", 2, "计次循环尾(1)", "没有与之配对的计次循环"},
        {"计次循环(2,1)\r\n 计次循环尾(1)\r\n计次循环尾(1)", 2, " 计次循环尾(1)",
         "没有与之配对的计次循环"},
        {"计次循环(2,1)\r\n延时(1)\r\n计次循环尾(2)\r\n计次循环尾(1)", 3, "计次循环尾(2)",
         "没有与之配对的计次循环"},
        // Nested in the wrong order: the outer block ends first and leaves the inner one open.
        {"计次循环(2,1)\r\n计次循环(3,2)\r\n延时(1)\r\n计次循环尾(1)\r\n计次循环尾(2)", 2,
         "计次循环(3,2)", "没有配对的结束语句“计次循环尾(2)”"},
        // The same id nested: the inner closing statement ends the outer block.
        {"计次循环(2,1)\r\n计次循环(3,1)\r\n延时(1)\r\n计次循环尾(1)\r\n计次循环尾(1)", 2,
         "计次循环(3,1)", "没有配对"},
        {"计次循环(2,1)\r\n鼠票(1)\r\n计次循环尾(1)", 2, "鼠票(1)", "“鼠票”不是命令"},
        {"计次循环(0,1)\r\n延时()\r\n计次循环尾(1)", 2, "延时()", "需要1个参数"},
        {"计次循环(2,1)\r\n计次循环(2,2)\r\n延时()\r\n计次循环尾(2)\r\n计次循环尾(1)", 3, "延时()",
         "需要1个参数"},
    };
    for (const FaultCase& c : cases) {
        log.clear();
        faults.clear();
        Run(c.script);
        EXPECT_THAT(log, IsEmpty()) << c.script;  // not even the pump of a block
        ASSERT_EQ(faults.size(), 1u) << c.script;
        EXPECT_EQ(faults[0].line, c.line) << c.script;
        EXPECT_EQ(faults[0].statement, G(c.statement)) << c.script;
        EXPECT_THAT(faults[0].message, HasSubstr(c.problem)) << c.script;
        EXPECT_THAT(faults[0].message,
                    HasSubstr("第" + std::to_string(c.line) + "行：" + c.statement))
            << c.script;
        const std::optional<ScriptFault> checked = engine.CheckScript(G(c.script));
        ASSERT_TRUE(checked.has_value()) << c.script;
        EXPECT_EQ(checked->line, c.line);
    }
}

TEST_F(EngineTest, TheFaultMessageNamesLineStatementProblemAndTheCommands) {
    Run("鼠标(左键)\r\n鼠票(左键)");
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(faults[0].message,
              "第2行：鼠票(左键)\n“鼠票”不是命令。命令有：信息框、鼠标、延时、鼠标消息、按键消息、"
              "鼠标移动、气球提示框、计次循环、按键、运行、特殊按键。\n\n脚本没有运行。");
}

TEST_F(EngineTest, ACommandsArgumentCheckRefusesTheScriptBeforeAnythingRuns) {
    std::vector<std::vector<std::string>> checked;
    engine.SetArgumentCheck(
        G("按键消息"),
        [&checked](const std::vector<RuntimeText>& arguments) -> std::optional<std::string> {
            std::vector<std::string> texts;
            for (const RuntimeText& argument : arguments) texts.push_back(GbkToUtf8(argument));
            checked.push_back(texts);
            if (GbkToUtf8(arguments[0]) == "坏") return "“坏”不是窗口。";
            return std::nullopt;
        });
    // Positive control: sound arguments pass, every statement of the command is looked at with
    // the texts its handler gets (cut at commas, as many as it takes), and the script runs.
    Run("按键消息(好,1,2)\r\n延时(1)\r\n按键消息(好,3,4,5)");
    EXPECT_THAT(faults, IsEmpty());
    EXPECT_THAT(log, ElementsAre("按键消息(好|1|2)", "延时(1)", "按键消息(好|3|4)"));
    EXPECT_THAT(checked, ElementsAre(ElementsAre("好", "1", "2"), ElementsAre("好", "3", "4")));
    log.clear();
    Run("延时(1)\r\n计次循环(2,1)\r\n按键消息(坏,1,2)\r\n计次循环尾(1)");
    EXPECT_THAT(log, IsEmpty());
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(faults[0].line, 3);
    EXPECT_EQ(faults[0].message, "第3行：按键消息(坏,1,2)\n“坏”不是窗口。\n\n脚本没有运行。");
    // Other commands are not looked at; a missing argument is reported before the check.
    faults.clear();
    checked.clear();
    Run("鼠标消息(坏,1,2,0,1)\r\n按键消息(坏)");
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_THAT(faults[0].message, HasSubstr("需要3个参数"));
    EXPECT_THAT(checked, IsEmpty());
}

TEST_F(EngineTest, WithoutAReporterAFaultyScriptStillDoesNotRun) {
    host.reportFault = nullptr;
    engine.SetHost(host);
    Run("鼠标(左键)\r\n鼠票(左键)");
    EXPECT_THAT(log, IsEmpty());
}

TEST_F(EngineTest, ScriptsThatPassTheCheckNeverReachTheExecutorsFallbacks) {
    // Run through RepeatScript, a body is not checked; for scripts that pass the check the
    // result must be the same as a checked run.
    const std::string scripts[] = {
        "计次循环(2,1)\r\n计次循环(3,2)\r\n延时(1)\r\n计次循环尾(2)\r\n计次循环尾(1)",
        "计次循环(2,1)\r\n计次循环尾(1)\r\n延时(1)\r\n计次循环(1,1)\r\n延时(2)\r\n计次循环尾(1)",
        "计次循环(2,1)延时(1)计次循环尾(1)鼠标(左键)",
        "信息框(a,b,c)\r\n鼠标(左键)",
    };
    for (const std::string& script : scripts) {
        ASSERT_FALSE(engine.CheckScript(G(script)).has_value()) << script;
        log.clear();
        Run(script);
        const std::vector<std::string> checked = log;
        log.clear();
        engine.RepeatScript(1, G(script));
        EXPECT_EQ(log, checked) << script;
    }
}

// --- prepared once, run from what was prepared ---

TEST_F(EngineTest, PrepareGivesACompiledScriptOrTheChecksFaultAndRunsNothing) {
    const PreparedScript sound = engine.Prepare(G("计次循环(2,1)\r\n延时(1)\r\n计次循环尾(1)"));
    ASSERT_TRUE(sound.script.has_value());
    EXPECT_FALSE(sound.fault.has_value());
    EXPECT_EQ(sound.script->Size(), 3u);
    const std::string faulty = "延时(1)\r\n鼠票(1)";
    const PreparedScript refused = engine.Prepare(G(faulty));
    EXPECT_FALSE(refused.script.has_value());
    ASSERT_TRUE(refused.fault.has_value());
    const std::optional<ScriptFault> checked = engine.CheckScript(G(faulty));
    ASSERT_TRUE(checked.has_value());
    EXPECT_EQ(refused.fault->line, checked->line);
    EXPECT_EQ(refused.fault->message, checked->message);
    // Preparing runs nothing, pumps nothing and reports nothing.
    EXPECT_THAT(log, IsEmpty());
    EXPECT_THAT(faults, IsEmpty());
    // Positive control: running the prepared script does.
    engine.Run(*sound.script);
    EXPECT_THAT(log, ElementsAre("pump", "延时(1)", "延时(1)"));
}

TEST_F(EngineTest, APreparedScriptRunsAgainFromItsOwnCopyOfTheText) {
    RuntimeText text = G("鼠标(左键)\r\n计次循环(2,1)\r\n延时(1)\r\n计次循环尾(1)");
    PreparedScript prepared = engine.Prepare(text);
    ASSERT_TRUE(prepared.script.has_value());
    // The caller's text changes and goes: the prepared script holds its own.
    text.assign(text.size(), 'x');
    text.clear();
    text.shrink_to_fit();
    const CompiledScript script = std::move(*prepared.script);
    prepared.script.reset();
    engine.Run(script);
    engine.Run(script);
    const std::vector<std::string> once = {"鼠标(左键)", "pump", "延时(1)", "延时(1)"};
    std::vector<std::string> twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(log, twice);
}

TEST_F(EngineTest, APreparedScriptRunsOnAnotherThreadWithItsHooks) {
    SetRunHooks([this] { log.push_back("begin"); }, [this] { log.push_back("end"); });
    const PreparedScript prepared = engine.Prepare(G("延时(7)"));
    ASSERT_TRUE(prepared.script.has_value());
    std::thread worker([&] { engine.Run(*prepared.script); });
    worker.join();
    EXPECT_THAT(log, ElementsAre("begin", "延时(7)", "end"));
}

// The engine spells no word of the language: a block closes with the word its entry names.
TEST(ScriptEngineBlocks, ABlockClosesWithTheWordItsEntryNames) {
    ScriptEngine engine;
    std::vector<std::string> log;
    engine.AddCommand(
        "step",
        [&log](const std::vector<RuntimeText>& arguments) {
            log.push_back(arguments[0]);
            return std::int32_t{0};
        },
        1);
    CommandEntry repeat;
    repeat.name = "repeat";
    repeat.handler = [](const std::vector<RuntimeText>&) { return std::int32_t{0}; };
    repeat.argumentCount = 2;
    repeat.isLoop = true;
    repeat.blockEnd = "done";
    engine.AddEntry(repeat);
    engine.RunScript("repeat(3,a)\nstep(x)\ndone(a)\nstep(y)");
    EXPECT_THAT(log, ElementsAre("x", "x", "x", "y"));
    // Another word closes nothing; the faults name the words of the entry.
    const std::optional<ScriptFault> open = engine.CheckScript("repeat(3,a)\nstep(x)\nend(a)");
    ASSERT_TRUE(open.has_value());
    EXPECT_EQ(open->line, 1);
    EXPECT_THAT(open->message, HasSubstr("这个repeat没有配对的结束语句“done(a)”"));
    const std::optional<ScriptFault> stray = engine.CheckScript("step(x)\ndone(a)");
    ASSERT_TRUE(stray.has_value());
    EXPECT_EQ(stray->line, 2);
    EXPECT_THAT(stray->message, HasSubstr("这个done没有与之配对的repeat。"));
}

// --- the executor without the check ---

TEST_F(EngineTest, AnUncheckedBodySkipsUnknownNamesPadsArgumentsAndDropsAnOpenBlock) {
    engine.RepeatScript(1, G("鼠票(1)\r\n鼠标()\r\n信息框(标题)\r\n计次循环尾(1)\r\n"
                             "计次循环(2,1)\r\n延时(1)\r\n鼠标(不会运行)"));
    EXPECT_THAT(faults, IsEmpty());
    EXPECT_THAT(log, ElementsAre("鼠标()", "信息框(标题|)", "pump", "pump"));
    log.clear();
    // A header without an id: the block has the empty id.
    engine.RepeatScript(1, G("计次循环(2)\r\n延时(1)\r\n计次循环尾()"));
    EXPECT_THAT(log, ElementsAre("pump", "延时(1)", "延时(1)"));
}

// Blocks nested as deep as a page can hold them are checked and run on a thread with a small
// stack: neither the check nor the run goes deeper into the stack with each level.
TEST_F(EngineTest, DeeplyNestedBlocksNeedNoStackPerLevel) {
    // Each block pumps once per statement of its body: quadratic in the depth, and beside the
    // point here.
    SetPump(nullptr);
    for (const int depth : {1, 100, 20000}) {
        SCOPED_TRACE(depth);
        RuntimeText script;
        for (int id = 1; id <= depth; ++id)
            script += G("计次循环(1," + std::to_string(id) + ")\r\n");
        script += G("鼠标(左键)\r\n");
        for (int id = depth; id >= 1; --id)
            script += G("计次循环尾(" + std::to_string(id) + ")\r\n");
        log.clear();
        faults.clear();
        std::optional<ScriptFault> checked;
        // 256 KiB: a few hundred bytes of stack per level would overflow it long before 20,000.
        pthread_attr_t attributes;
        pthread_attr_init(&attributes);
        pthread_attr_setstacksize(&attributes, 256 * 1024);
        struct Work {
            ScriptEngine* engine;
            const RuntimeText* script;
            std::optional<ScriptFault>* checked;
        } work{&engine, &script, &checked};
        pthread_t thread;
        ASSERT_EQ(pthread_create(
                      &thread, &attributes,
                      [](void* context) -> void* {
                          auto* w = static_cast<Work*>(context);
                          *w->checked = w->engine->CheckScript(*w->script);
                          w->engine->RunScript(*w->script);
                          return nullptr;
                      },
                      &work),
                  0);
        pthread_join(thread, nullptr);
        pthread_attr_destroy(&attributes);
        EXPECT_FALSE(checked.has_value());
        EXPECT_THAT(faults, IsEmpty());
        EXPECT_EQ(std::count(log.begin(), log.end(), "鼠标(左键)"), 1);
    }
    // Positive control: the innermost block left open is still refused, naming its line.
    Run("计次循环(1,1)\r\n计次循环(1,2)\r\n鼠标(左键)\r\n计次循环尾(1)");
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(faults[0].line, 2);
}

TEST_F(EngineTest, RepeatScriptRunsTheTextCountTimes) {
    engine.RepeatScript(0, G("鼠标(a)"));
    engine.RepeatScript(-3, G("鼠标(a)"));
    EXPECT_THAT(log, IsEmpty());
    engine.RepeatScript(3, G("鼠标(a)"));
    EXPECT_THAT(log, ElementsAre("鼠标(a)", "鼠标(a)", "鼠标(a)"));
}

// --- runs: hooks, threads, nesting ---

TEST_F(EngineTest, TheOutermostRunHoldsTheRunHooksOnce) {
    SetRunHooks([this] { log.push_back("begin"); }, [this] { log.push_back("end"); });
    Run("计次循环(2,1)\r\n延时(1)\r\n计次循环尾(1)");
    EXPECT_THAT(log, ElementsAre("begin", "pump", "延时(1)", "延时(1)", "end"));
    log.clear();
    Run("鼠票(1)");  // refused before it starts
    EXPECT_THAT(log, IsEmpty());
}

TEST_F(EngineTest, ARunNestedInAHandlerIsCheckedButSharesTheOuterHooks) {
    SetRunHooks([this] { log.push_back("begin"); }, [this] { log.push_back("end"); });
    engine.AddCommand(
        "nested",
        [this](const std::vector<RuntimeText>& arguments) {
            engine.RunScript(arguments[0] == "bad" ? G("鼠票(1)") : G("鼠标(内)"));
            return std::int32_t{0};
        },
        1);
    Run("nested(good)\r\nnested(bad)\r\n鼠标(外)");
    EXPECT_THAT(log, ElementsAre("begin", "鼠标(内)", "鼠标(外)", "end"));
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(faults[0].statement, G("鼠票(1)"));
}

TEST_F(EngineTest, TheEndHookRunsEvenWhenAHandlerThrows) {
    int depth = 0;
    SetRunHooks([&] { ++depth; }, [&] { --depth; });
    engine.AddCommand(
        "boom",
        [](const std::vector<RuntimeText>&) -> std::int32_t { throw std::runtime_error("boom"); },
        1);
    EXPECT_THROW(Run("计次循环(2,1)\r\nboom(1)\r\n计次循环尾(1)"), std::runtime_error);
    EXPECT_EQ(depth, 0);
    // The engine is usable afterwards, and the next run is checked and hooked again.
    Run("鼠标(后)");
    EXPECT_EQ(depth, 0);
    EXPECT_THAT(log, ElementsAre("pump", "鼠标(后)"));
    Run("鼠票(1)");
    EXPECT_EQ(faults.size(), 1u);
}

TEST(ScriptEngineThreads, EachThreadHoldsItsOwnRunHooks) {
    ScriptEngine engine;
    std::vector<std::thread::id> seen;
    engine.AddCommand(
        G("延时"),
        [&seen](const std::vector<RuntimeText>&) {
            seen.push_back(std::this_thread::get_id());
            return std::int32_t{1};
        },
        1);
    int begins = 0;
    int ends = 0;
    EngineHost host;
    host.runBegin = [&] { ++begins; };
    host.runEnd = [&] { ++ends; };
    engine.SetHost(host);
    std::thread worker([&] { engine.RunScript(G("延时(1)")); });
    worker.join();
    engine.RunScript(G("延时(1)"));
    EXPECT_EQ(begins, 2);
    EXPECT_EQ(ends, 2);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_NE(seen[0], seen[1]);
    EXPECT_EQ(seen[1], std::this_thread::get_id());
}

}  // namespace
}  // namespace kavo
