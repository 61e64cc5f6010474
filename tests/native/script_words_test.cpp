// The table of the script's words and everything that takes its words from it: each row is
// sound, and a row is known to the engine, the check, the colours, completion and the usage
// texts alike, so that a new row is known everywhere.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "commands/builtin_commands.h"
#include "commands/script_words.h"
#include "editor/help_texts.h"
#include "editor/script_colouring.h"
#include "engine/script_engine.h"
#include "engine/statement_scan.h"
#include "platform/fake/recording_platform.h"
#include "text/encoding.h"

namespace kavo {
namespace {

using ::testing::ElementsAreArray;

const ScriptWord& OpenerOf(const ScriptWord& closing) {
    const std::span<const ScriptWord> words = ScriptWords();
    const auto index = static_cast<std::size_t>(&closing - words.data());
    return words[index - 1];
}

// A script in which the row's statement stands as it may: a block's opening and closing words
// together, each with its example.
std::string ScriptFor(const ScriptWord& word) {
    if (word.block == BlockRole::Opens) return HelpForm(word) + "\r\n" + HelpForm((&word)[1]);
    if (word.block == BlockRole::Closes) return HelpForm(OpenerOf(word)) + "\r\n" + HelpForm(word);
    return HelpForm(word);
}

TEST(ScriptWordsTest, EveryRowIsSound) {
    std::set<std::string_view> names;
    const std::span<const ScriptWord> words = ScriptWords();
    for (std::size_t index = 0; index < words.size(); ++index) {
        const ScriptWord& word = words[index];
        SCOPED_TRACE(std::string(word.name));
        EXPECT_TRUE(names.insert(word.name).second) << "twice in the table";
        EXPECT_FALSE(word.name.empty());
        EXPECT_EQ(word.name.find_first_of(" (),"), std::string_view::npos);
        EXPECT_GE(word.argumentCount, 1);
        EXPECT_LE(word.argumentCount, 5);
        // Only a closing word goes without an action: the engine enters no command for it.
        EXPECT_EQ(word.action == nullptr, word.block == BlockRole::Closes);
        EXPECT_EQ(FindScriptWord(word.name), &word);
        // A block's words stand together: the closing word right after the opening one.
        if (word.block == BlockRole::Opens) {
            EXPECT_EQ(word.argumentCount, 2) << "count and block id";
            ASSERT_LT(index + 1, words.size());
            EXPECT_EQ(words[index + 1].block, BlockRole::Closes);
        }
        if (word.block == BlockRole::Closes) {
            EXPECT_EQ(word.argumentCount, 1) << "the block id";
            ASSERT_GT(index, 0u);
            EXPECT_EQ(words[index - 1].block, BlockRole::Opens);
        }
    }
    EXPECT_EQ(FindScriptWord("跳舞"), nullptr);
}

TEST(ScriptWordsTest, EachHelpFormIsAStatementOfItsOwnWordWithItsArgumentCount) {
    for (const ScriptWord& word : ScriptWords()) {
        const std::string form = HelpForm(word);
        SCOPED_TRACE(form);
        const RuntimeText gbk = Utf8ToGbk(form);
        const std::vector<ScannedStatement> statements = ScanStatements(gbk);
        ASSERT_EQ(statements.size(), 1u);
        EXPECT_EQ(statements[0].rawName, Utf8ToGbk(word.name));
        EXPECT_EQ(CountArguments(statements[0].arguments),
                  static_cast<std::size_t>(word.argumentCount));
    }
    // A block's example closes itself: the closing word's id is the opening word's second
    // argument.
    for (const ScriptWord& word : ScriptWords()) {
        if (word.block == BlockRole::Closes) {
            EXPECT_EQ(word.example, NthArgument(OpenerOf(word).example, 2)) << word.name;
        }
    }
}

TEST(ScriptWordsTest, TheWordsTheCodeNamesAreRowsOfTheTable) {
    for (const std::string_view name :
         {kWordMouse, kWordDelay, kWordMouseMove, kWordTypeKeys, kWordSpecialKey, kWordPlaceCursor,
          kWordHoldKey, kWordReleaseKey})
        EXPECT_NE(FindScriptWord(name), nullptr) << name;
    // 鼠标's words: each act of each button has one, and the wheel one a direction.
    std::set<std::string_view> mouseWords;
    for (const MouseWord& word : MouseWords()) EXPECT_TRUE(mouseWords.insert(word.name).second);
    for (const MouseButton button : {MouseButton::Left, MouseButton::Right, MouseButton::Middle})
        for (const MouseWord::Act act :
             {MouseWord::Act::Click, MouseWord::Act::Press, MouseWord::Act::Release})
            EXPECT_EQ(mouseWords.count(MouseWordFor(act, button)), 1u);
    EXPECT_EQ(MouseWordFor(MouseWord::Act::Wheel, MouseButton::Middle, 1), "滚轮上");
    EXPECT_EQ(MouseWordFor(MouseWord::Act::Wheel, MouseButton::Middle, -2), "滚轮下");
    EXPECT_EQ(MouseWordFor(MouseWord::Act::Click, MouseButton::Left), "左键");
}

// The order of the engine's table is a script's positions: the eleven first, as they always
// were, then the later words.
TEST(ScriptWordsTest, TheFirstElevenAreTheLanguagesFirstWordsInTheirOrder) {
    std::vector<std::string> entered;
    for (const ScriptWord& word : FirstElevenWords())
        if (word.block != BlockRole::Closes) entered.push_back(std::string(word.name));
    EXPECT_THAT(entered,
                ElementsAreArray({"信息框", "鼠标", "延时", "鼠标消息", "按键消息", "鼠标移动",
                                  "气球提示框", "计次循环", "按键", "运行", "特殊按键"}));
    EXPECT_EQ(FirstElevenWords().data(), ScriptWords().data());
    EXPECT_LT(FirstElevenWords().size(), ScriptWords().size());
}

// The words the tests and benchmarks enter are the program's own: the same names, counts,
// blocks and checks, in the same order.
TEST(ScriptWordsTest, TheWordsDoingNothingAreTheProgramsWords) {
    RecordingPlatform platform;
    const CommandServices services{platform, platform, platform, nullptr};
    ScriptEngine program;
    AddBuiltinCommands(program, services);
    ScriptEngine inert;
    AddScriptWordsDoingNothing(inert);
    ASSERT_EQ(inert.Commands().size(), program.Commands().size());
    for (std::size_t i = 0; i < program.Commands().size(); ++i) {
        const CommandEntry& a = program.Commands()[i];
        const CommandEntry& b = inert.Commands()[i];
        EXPECT_EQ(a.name, b.name);
        EXPECT_EQ(a.argumentCount, b.argumentCount);
        EXPECT_EQ(a.isLoop, b.isLoop);
        EXPECT_EQ(a.blockEnd, b.blockEnd);
        EXPECT_EQ(static_cast<bool>(a.check), static_cast<bool>(b.check)) << GbkToUtf8(a.name);
        EXPECT_TRUE(b.handler);
    }
    // Entered in GBK: the loop's closing word too.
    EXPECT_EQ(program.Commands()[7].blockEnd, Utf8ToGbk("计次循环尾"));
}

TEST(ScriptWordsTest, EveryRowIsKnownToTheCheckTheColoursAndCompletion) {
    ScriptEngine engine;
    AddScriptWordsDoingNothing(engine);
    const ScriptVocabulary vocabulary;
    ASSERT_EQ(vocabulary.Words().size(), ScriptWords().size());
    for (const ScriptWord& word : ScriptWords()) {
        SCOPED_TRACE(std::string(word.name));
        const RuntimeText name = Utf8ToGbk(word.name);
        // The engine: every word but a closing one is a command.
        const bool entered =
            static_cast<std::size_t>(engine.FindCommand(name)) <= engine.Commands().size();
        EXPECT_EQ(entered, word.block != BlockRole::Closes);
        // The check: the word's example passes it.
        const RuntimeText script = Utf8ToGbk(ScriptFor(word));
        const std::optional<ScriptFault> fault = engine.CheckScript(script);
        EXPECT_FALSE(fault.has_value()) << (fault ? fault->message : "");
        // The colours: its name in its example is a command's.
        const RuntimeText form = Utf8ToGbk(HelpForm(word));
        const std::vector<ScriptToken> tokens = ClassifyLine(form, vocabulary);
        ASSERT_FALSE(tokens.empty());
        EXPECT_EQ(tokens[0], (ScriptToken{0, name.size(), TokenClass::Command}));
        // Completion: its name offers it, with its example.
        bool offered = false;
        for (const CommandWord* offer : CompletionOffers(name, vocabulary))
            if (offer->name == name) {
                offered = true;
                EXPECT_EQ(offer->form, form);
                EXPECT_EQ(offer->isLoop, word.block == BlockRole::Opens);
                EXPECT_EQ(offer->isBlockEnd, word.block == BlockRole::Closes);
            }
        EXPECT_TRUE(offered);
    }
    // Positive control: a word not in the table is refused, coloured unknown, offered nothing.
    const RuntimeText unknown = Utf8ToGbk("跳舞(1)");
    EXPECT_TRUE(engine.CheckScript(unknown).has_value());
    EXPECT_EQ(ClassifyLine(unknown, vocabulary)[0].kind, TokenClass::Unknown);
    EXPECT_TRUE(CompletionOffers(Utf8ToGbk("跳"), vocabulary).empty());
}

// The statements of the usage texts that name a word of the language, as the help box shows
// them: full-width brackets and commas read as ASCII, the name being what follows the last
// space or punctuation before the bracket.
struct HelpExample {
    const ScriptWord* word;
    std::string statement;  // UTF-8, as the program would read it
    std::size_t arguments;
};
std::vector<HelpExample> HelpExamples() {
    std::vector<HelpExample> examples;
    for (const HelpText& help : HelpTexts()) {
        const RuntimeText text = FullWidthToAscii(Utf8ToGbk(help.text));
        for (const ScannedStatement& statement : ScanStatements(text)) {
            const std::string raw = GbkToUtf8(statement.rawName);
            const std::size_t cut = raw.find_last_of(" :;,()\t\r");
            const std::string name = cut == std::string::npos ? raw : raw.substr(cut + 1);
            if (const ScriptWord* word = FindScriptWord(name))
                examples.push_back({word, name + "(" + GbkToUtf8(statement.arguments) + ")",
                                    CountArguments(statement.arguments)});
        }
    }
    return examples;
}

TEST(ScriptWordsTest, TheUsageTextsSpellEachWordWithItsArgumentCountAndItsExample) {
    const std::vector<HelpExample> examples = HelpExamples();
    std::set<const ScriptWord*> shown;
    for (const HelpExample& example : examples) {
        SCOPED_TRACE(example.statement);
        EXPECT_EQ(example.arguments, static_cast<std::size_t>(example.word->argumentCount));
        // The first example of a word is the one completion offers for it.
        if (shown.insert(example.word).second) {
            EXPECT_EQ(example.statement, HelpForm(*example.word));
        }
    }
    // Positive control: the texts show nearly every word (气球提示框 has no text of its own).
    EXPECT_GE(shown.size(), ScriptWords().size() - 1);
    EXPECT_EQ(shown.count(FindScriptWord("气球提示框")), 0u);
}

}  // namespace
}  // namespace kavo
