// The words of the script language, one row each. Everything that knows a word takes it from
// here: the engine's command table, the script's check, the editor's colours and completion,
// the recorder's statements and F1's, the usage texts' examples (their test) and the tests.
//
// Adding a word: a row in ScriptWords() (script_words.cpp) and its action (builtin_commands.h,
// builtin_commands.cpp). New rows go at the end: the engine's positions of the words before
// them stand.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/script_engine.h"
#include "platform/input_values.h"

namespace kavo {

struct WordContext;

// A word's part in counted blocks.
enum class BlockRole {
    None,
    Opens,   // its statement heads a block: count, block id
    Closes,  // its statement ends the block of the row just above it; no command of its own
};

// What a word does, given what the commands work with (builtin_commands.h) and exactly
// argumentCount texts.
using WordAction = std::int32_t (*)(WordContext& context,
                                    const std::vector<RuntimeText>& arguments);
// The script's check of a statement's texts before any run: what is wrong (UTF-8), or nothing.
using WordCheck = std::optional<std::string> (*)(const std::vector<RuntimeText>& arguments);

struct ScriptWord {
    std::string_view name;  // UTF-8, as scripts spell it
    std::int32_t argumentCount = 0;
    BlockRole block = BlockRole::None;
    WordCheck check = nullptr;    // nullptr: any texts will do
    WordAction action = nullptr;  // nullptr exactly for a word that closes a block
    // UTF-8: the arguments of an example statement (HelpForm), e.g. "100" for 延时(100).
    std::string_view example;
};

// Names the program's code writes itself (the recorder); each is the name of its row.
inline constexpr std::string_view kWordMouse = "鼠标";
inline constexpr std::string_view kWordDelay = "延时";
inline constexpr std::string_view kWordMouseMove = "鼠标移动";
inline constexpr std::string_view kWordTypeKeys = "按键";
inline constexpr std::string_view kWordSpecialKey = "特殊按键";
inline constexpr std::string_view kWordPlaceCursor = "鼠标定位";
inline constexpr std::string_view kWordHoldKey = "按住";
inline constexpr std::string_view kWordReleaseKey = "松开";

// Every word, in the order the engine enters them (a closing word stands right after the word
// whose block it closes and is not entered).
std::span<const ScriptWord> ScriptWords();
// The head of ScriptWords() that holds the eleven words the language began with (and the word
// closing their blocks).
std::span<const ScriptWord> FirstElevenWords();
// The row of that name (UTF-8); nullptr when there is none.
const ScriptWord* FindScriptWord(std::string_view name);

// Makes the handler of one word.
using HandlerFor = std::function<CommandHandler(const ScriptWord& word)>;
// Enters the words of rows into engine, in their order, each with its argument count, check
// and handler, all names in GBK; an opening word takes its closing word from the row after it.
void AddScriptWords(ScriptEngine& engine, std::span<const ScriptWord> rows,
                    const HandlerFor& handlerFor);
// Every word, with handlers that do nothing and return 0: a script's check, its colours and
// the like without running anything.
void AddScriptWordsDoingNothing(ScriptEngine& engine);

// The words 鼠标 takes, and what each does.
struct MouseWord {
    enum class Act { Click, Press, Release, Wheel };
    std::string_view name;  // UTF-8
    Act act;
    MouseButton button;  // Wheel: none of use
    int notches;         // Wheel: +1 away from the user, -1 toward
};
std::span<const MouseWord> MouseWords();
// The word for an act with a button (for Wheel, the direction of notches); empty when none.
std::string_view MouseWordFor(MouseWord::Act act, MouseButton button, int notches = 0);

// "name(arguments)", UTF-8.
std::string Statement(std::string_view name, std::string_view arguments);
// The word's example statement (UTF-8): what completion offers and the usage texts show.
std::string HelpForm(const ScriptWord& word);

}  // namespace kavo
