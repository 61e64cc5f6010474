#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/script_words.h"
#include "editor/script_colouring.h"
#include "engine/script_engine.h"
#include "text/encoding.h"

namespace kavo {
namespace {

struct Piece {
    std::string text;  // UTF-8
    TokenClass kind;
};

// A line's pieces with a class, each given as its text: the test finds where it stands.
std::vector<Piece> Classified(const std::string& lineUtf8) {
    const ScriptVocabulary words;
    const RuntimeText line = Utf8ToGbk(lineUtf8);
    std::vector<Piece> pieces;
    for (const ScriptToken& token : ClassifyLine(line, words))
        pieces.push_back(
            {GbkToUtf8(std::string_view(line).substr(token.start, token.length)), token.kind});
    return pieces;
}

TEST(ScriptColouringTest, EachPieceOfALineGetsItsClass) {
    using enum TokenClass;
    struct Case {
        std::string line;
        std::vector<Piece> pieces;
    };
    const Case cases[] = {
        {"延时(100)", {{"延时", Command}, {"(", Punctuation}, {"100", Number}, {")", Punctuation}}},
        {"鼠标移动(800, -1.5)",
         {{"鼠标移动", Command},
          {"(", Punctuation},
          {"800", Number},
          {",", Punctuation},
          {"-1.5", Number},
          {")", Punctuation}}},
        {"计次循环(3,甲)",
         {{"计次循环", Command},
          {"(", Punctuation},
          {"3", Number},
          {",", Punctuation},
          {"甲", BlockId},
          {")", Punctuation}}},
        {"计次循环尾(1)",
         {{"计次循环尾", Command}, {"(", Punctuation}, {"1", BlockId}, {")", Punctuation}}},
        {"运行(notepad.exe)",
         {{"运行", Command}, {"(", Punctuation}, {"notepad.exe", Argument}, {")", Punctuation}}},
        {"按键(ab12,50)",
         {{"按键", Command},
          {"(", Punctuation},
          {"ab12", Argument},
          {",", Punctuation},
          {"50", Number},
          {")", Punctuation}}},
        // Full-width digits are numbers, as the run reads them.
        {"延时（１００)", {}},
        {"延时(１００)",
         {{"延时", Command}, {"(", Punctuation}, {"１００", Number}, {")", Punctuation}}},
        // Spaces inside a name are dropped by the run: still the command.
        {" 延 时(5)", {{"延 时", Command}, {"(", Punctuation}, {"5", Number}, {")", Punctuation}}},
        {"跳舞(1)", {{"跳舞", Unknown}, {"(", Punctuation}, {"1", Number}, {")", Punctuation}}},
        {"(1)", {{"(", Punctuation}, {"1", Number}, {")", Punctuation}}},
        {"信息框(a,,b,)",
         {{"信息框", Command},
          {"(", Punctuation},
          {"a", Argument},
          {",", Punctuation},
          {",", Punctuation},
          {"b", Argument},
          {",", Punctuation},
          {")", Punctuation}}},
        {"延时(1)延时(2)",
         {{"延时", Command},
          {"(", Punctuation},
          {"1", Number},
          {")", Punctuation},
          {"延时", Command},
          {"(", Punctuation},
          {"2", Number},
          {")", Punctuation}}},
        {"只是文字", {}},
        {"延时(100", {}},
    };
    for (const Case& c : cases) {
        const std::vector<Piece> pieces = Classified(c.line);
        ASSERT_EQ(pieces.size(), c.pieces.size()) << c.line;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            EXPECT_EQ(pieces[i].text, c.pieces[i].text) << c.line << " #" << i;
            EXPECT_EQ(pieces[i].kind, c.pieces[i].kind) << c.line << " #" << i;
        }
    }
}

// A broken lead byte before "(" must not swallow it, exactly as the scanner steps.
TEST(ScriptColouringTest, PiecesStayInsideTheLineForAnyBytes) {
    const ScriptVocabulary words;
    const std::string lines[] = {std::string("\xB5(1)"), std::string("a(\xFF)"),
                                 std::string("\x81"), std::string("((()),)")};
    for (const std::string& line : lines)
        for (const ScriptToken& token : ClassifyLine(line, words)) {
            EXPECT_LE(token.start + token.length, line.size());
            EXPECT_GT(token.length, 0u);
        }
}

TEST(ScriptColouringTest, FaultsOfEveryLineComeFromTheCheck) {
    ScriptEngine engine;
    AddScriptWordsDoingNothing(engine);
    const RuntimeText script = Utf8ToGbk(
        "延时(100)\n跳舞(1)\n鼠标移动(5)\n计次循环(2,1)\n延时(1)\n计次循环尾(1)\n"
        "计次循环尾(9)");
    const std::vector<LineFault> faults = FaultsByLine(engine, script);
    ASSERT_EQ(faults.size(), 3u);
    EXPECT_EQ(faults[0].line, 2);
    EXPECT_EQ(GbkToUtf8(faults[0].statement), "跳舞(1)");
    EXPECT_EQ(faults[0].message.rfind("“跳舞”不是命令。", 0), 0u) << faults[0].message;
    EXPECT_EQ(faults[1].line, 3);
    EXPECT_EQ(faults[1].message, "鼠标移动需要2个参数，这里只有1个。");
    EXPECT_EQ(faults[2].line, 7);
    // The first of them is the one a run reports.
    const std::optional<ScriptFault> first = engine.CheckScript(script);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->line, 2);
    // Positive control: a sound script has none.
    EXPECT_TRUE(FaultsByLine(engine, Utf8ToGbk("延时(1)\n计次循环(2,1)\n计次循环尾(1)")).empty());
}

TEST(ScriptColouringTest, PaletteStaysReadableOnAnyBackground) {
    struct Case {
        std::uint32_t background;
        bool light;  // the palette for light backgrounds is chosen
    };
    const Case cases[] = {{0xFFFFFF, true},  {0x000000, false}, {0xC0C0C0, true},
                          {0x800000, false}, {0x00FFFF, true},  {0x404040, false}};
    // On white and black the colours are the palettes' own, unmixed and told apart.
    EXPECT_NE(PaletteFor(0xFFFFFF).command, PaletteFor(0xFFFFFF).number);
    EXPECT_NE(PaletteFor(0x000000).command, PaletteFor(0x000000).unknown);
    const ScriptPalette forWhite = PaletteFor(0xFFFFFF);
    for (const Case& c : cases)
        EXPECT_EQ(PaletteFor(c.background).command == forWhite.command, c.light) << c.background;
    // Every colour holds on every background of a grid over the colour cube.
    for (std::uint32_t r = 0; r < 256; r += 17)
        for (std::uint32_t g = 0; g < 256; g += 17)
            for (std::uint32_t b = 0; b < 256; b += 17) {
                const std::uint32_t background = r | g << 8 | b << 16;
                const ScriptPalette p = PaletteFor(background);
                for (std::uint32_t colour :
                     {p.command, p.number, p.punctuation, p.blockId, p.argument, p.unknown})
                    EXPECT_GE(ContrastRatio(colour, background), 3.0) << std::hex << background;
            }
    // Plain text keeps the user's colour.
    EXPECT_EQ(ColourOf(forWhite, TokenClass::Plain, 0x123456u), 0x123456u);
}

TEST(ScriptColouringTest, APrefixOffersTheWordsStartingWithIt) {
    const ScriptVocabulary words;
    struct Case {
        std::string prefix;
        std::vector<std::string> forms;
    };
    const Case cases[] = {
        {"延", {"延时(100)"}},
        {"计次", {"计次循环(2,1)", "计次循环尾(1)"}},
        {"鼠标",
         {"鼠标(左键)", "鼠标消息(进程:notepad.exe,100,50,1,1)", "鼠标移动(800,100)",
          "鼠标定位(800,100)"}},
        {"按", {"按键消息(进程:notepad.exe>类:Edit,65,1)", "按键(fhjshfkj,50)", "按住(17)"}},
        {"信息", {"信息框(你好,我是脚本编辑器,)"}},
        {"气球", {"气球提示框(脚本运行完毕)"}},
        {"随", {"随机延时(100,500)"}},
        {"等待", {"等待窗口(进程:notepad.exe,5000)"}},
        {"激", {"激活窗口(进程:notepad.exe)"}},
        {"跳", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> forms;
        for (const CommandWord* word : CompletionOffers(Utf8ToGbk(c.prefix), words))
            forms.push_back(GbkToUtf8(word->form));
        EXPECT_EQ(forms, c.forms) << c.prefix;
    }
    // Half a character offers nothing.
    EXPECT_TRUE(CompletionOffers(Utf8ToGbk("延").substr(0, 1), words).empty());
    const CompletionInsert insert = CompletionText(*words.Find(Utf8ToGbk("延时")));
    EXPECT_EQ(GbkToUtf8(insert.text), "延时()");
    EXPECT_EQ(insert.caret, 5u);
}

TEST(ScriptColouringTest, TheWordBeforeTheCaret) {
    struct Case {
        std::string line;
        std::size_t caretChars;  // characters before the caret
        std::string word;
    };
    const Case cases[] = {
        {"延时", 2, "延时"}, {"延时", 1, "延"}, {"延时(1) 鼠", 7, "鼠"}, {"延时(1)鼠标", 6, "鼠"},
        {"延时(鼠", 4, ""},  {"", 0, ""},       {"ab 按", 4, "按"},      {"延时(1,2) ", 8, ""},
    };
    for (const Case& c : cases) {
        const RuntimeText line = Utf8ToGbk(c.line);
        std::size_t caret = 0;
        for (std::size_t n = 0; n < c.caretChars; ++n) caret += CharLengthAt(line, caret);
        EXPECT_EQ(GbkToUtf8(WordBeforeCaret(line, caret)), c.word) << c.line << " " << c.caretChars;
    }
}

}  // namespace
}  // namespace kavo
