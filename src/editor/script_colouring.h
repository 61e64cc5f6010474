// What the script editor shows about a page's text without changing it: a class for each piece
// of a line (for its colour), the faults of the script's check by line, colours that stay
// readable on the editor's background, and what a typed word start can be completed to. Works
// on GBK bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "commands/script_words.h"
#include "text/runtime_text.h"

namespace kavo {

class ScriptEngine;

enum class TokenClass {
    Plain,        // text outside any statement
    Command,      // a command's name (also 计次循环尾)
    Number,       // an argument that is a number
    Punctuation,  // ( ) and the commas between arguments
    BlockId,      // the id of 计次循环 (its second argument) and of 计次循环尾
    Argument,     // any other argument text
    Unknown,      // a statement name that is no command
};

struct ScriptToken {
    std::size_t start = 0;  // byte offset in the line
    std::size_t length = 0;
    TokenClass kind = TokenClass::Plain;
    bool operator==(const ScriptToken&) const = default;
};

// The words of the language with what completion offers for them.
struct CommandWord {
    RuntimeText name;  // GBK
    RuntimeText form;  // the word's example statement, e.g. 延时(100)
    bool isLoop = false;
    bool isBlockEnd = false;
};

class ScriptVocabulary {
  public:
    // Every word of the language, in the table's order.
    ScriptVocabulary();
    // The words of these rows, in their order.
    explicit ScriptVocabulary(std::span<const ScriptWord> rows);
    const std::vector<CommandWord>& Words() const { return words_; }
    // nullptr when name (spaces already removed) is no word.
    const CommandWord* Find(std::string_view name) const;

  private:
    std::vector<CommandWord> words_;
};

// Pieces of one line (no LF) that have a class other than Plain, left to right, not
// overlapping. Statements are found exactly as the script's scanner finds them.
std::vector<ScriptToken> ClassifyLine(std::string_view line, const ScriptVocabulary& words);

// A fault of the script's check on one line: the statement as written and the fault's text.
struct LineFault {
    int line = 0;  // from 1
    RuntimeText statement;
    std::string message;  // UTF-8
};
// Every fault the check before a run finds, in text order.
std::vector<LineFault> FaultsByLine(const ScriptEngine& engine, std::string_view script);

// Colours as 0x00BBGGRR.
struct ScriptPalette {
    std::uint32_t command = 0;
    std::uint32_t number = 0;
    std::uint32_t punctuation = 0;
    std::uint32_t blockId = 0;
    std::uint32_t argument = 0;
    std::uint32_t unknown = 0;  // also the fault mark
};
// Of a palette for light backgrounds and one for dark ones, the one whose least readable
// colour stands out most from background.
ScriptPalette PaletteFor(std::uint32_t background);
std::uint32_t ColourOf(const ScriptPalette& palette, TokenClass kind, std::uint32_t plain);
// WCAG contrast ratio of two colours (1 to 21).
double ContrastRatio(std::uint32_t a, std::uint32_t b);

// The word being typed that ends at caret in line: the characters back to the line's start, a
// space, a ")" or a ","-free boundary; empty when the caret stands inside brackets.
std::string_view WordBeforeCaret(std::string_view line, std::size_t caret);
// The words starting with prefix (on character boundaries), in table order; none for an empty
// prefix.
std::vector<const CommandWord*> CompletionOffers(std::string_view prefix,
                                                 const ScriptVocabulary& words);
// What completing inserts in place of the typed prefix: the word with its brackets; caret is
// where the caret goes (between the brackets).
struct CompletionInsert {
    RuntimeText text;
    std::size_t caret = 0;
};
CompletionInsert CompletionText(const CommandWord& word);

}  // namespace kavo
