#include "editor/script_colouring.h"

#include <algorithm>
#include <cmath>

#include "engine/script_engine.h"
#include "engine/statement_scan.h"
#include "text/encoding.h"

namespace kavo {

namespace {

bool IsNumber(std::string_view text) {
    const RuntimeText ascii = FullWidthToAscii(text);
    std::size_t pos = 0;
    while (pos < ascii.size() && ascii[pos] == ' ') ++pos;
    if (pos < ascii.size() && (ascii[pos] == '-' || ascii[pos] == '+')) ++pos;
    std::size_t digits = 0;
    bool point = false;
    for (; pos < ascii.size(); ++pos) {
        const char c = ascii[pos];
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    while (pos < ascii.size() && ascii[pos] == ' ') ++pos;
    return digits > 0 && pos == ascii.size();
}

// The span of text without leading and trailing ASCII and full-width spaces.
std::pair<std::size_t, std::size_t> Trimmed(std::string_view text) {
    std::size_t first = text.size();
    std::size_t last = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = CharLengthAt(text, pos);
        const std::string_view c = text.substr(pos, length);
        if (!SameBytes(c, " ") && !SameBytes(c, "\xA1\xA1")) {
            first = std::min(first, pos);
            last = pos + length;
        }
        pos += length;
    }
    if (first >= last) return {0, 0};
    return {first, last - first};
}

double Channel(std::uint32_t colour, int shift) {
    const double value = static_cast<double>((colour >> shift) & 0xFF) / 255.0;
    return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double Luminance(std::uint32_t colour) {
    return 0.2126 * Channel(colour, 0) + 0.7152 * Channel(colour, 8) + 0.0722 * Channel(colour, 16);
}

constexpr std::uint32_t Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return r | (g << 8) | (b << 16);
}

// Deep colours for light backgrounds, bright ones for dark backgrounds; each is kept near the
// far end of its range so that it also holds on a middling grey.
constexpr ScriptPalette kForLight{Rgb(0, 0, 170), Rgb(130, 0, 110), Rgb(60, 60, 60),
                                  Rgb(0, 100, 0), Rgb(120, 60, 0),  Rgb(200, 0, 0)};
constexpr ScriptPalette kForDark{Rgb(130, 200, 255), Rgb(255, 170, 255), Rgb(220, 220, 220),
                                 Rgb(140, 240, 140), Rgb(255, 210, 120), Rgb(255, 120, 120)};

// The least contrast kept between a coloured piece and the background (WCAG's for large
// text and marks).
constexpr double kReadable = 3.0;

// original moved tenths/10 of the way to target, channel by channel.
std::uint32_t Mix(std::uint32_t original, std::uint32_t target, int tenths) {
    std::uint32_t mixed = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int from = static_cast<int>((original >> shift) & 0xFF);
        const int to = static_cast<int>((target >> shift) & 0xFF);
        mixed |= static_cast<std::uint32_t>(from + (to - from) * tenths / 10) << shift;
    }
    return mixed;
}

}  // namespace

ScriptVocabulary::ScriptVocabulary() : ScriptVocabulary(ScriptWords()) {}

ScriptVocabulary::ScriptVocabulary(std::span<const ScriptWord> rows) {
    for (const ScriptWord& row : rows)
        words_.push_back(CommandWord{Utf8ToGbk(row.name), Utf8ToGbk(HelpForm(row)),
                                     row.block == BlockRole::Opens,
                                     row.block == BlockRole::Closes});
}

const CommandWord* ScriptVocabulary::Find(std::string_view name) const {
    for (const CommandWord& word : words_)
        if (SameBytes(word.name, name)) return &word;
    return nullptr;
}

std::vector<ScriptToken> ClassifyLine(std::string_view line, const ScriptVocabulary& words) {
    std::vector<ScriptToken> tokens;
    auto offset = [&line](std::string_view part) {
        return static_cast<std::size_t>(part.data() - line.data());
    };
    std::string nameBuffer;
    for (const ScannedStatement& statement : ScanStatements(line)) {
        const auto [nameStart, nameLength] = Trimmed(statement.rawName);
        const std::size_t open = offset(statement.rawName) + statement.rawName.size();
        const CommandWord* word = words.Find(NameWithoutSpaces(statement.rawName, nameBuffer));
        if (nameLength > 0)
            tokens.push_back({offset(statement.rawName) + nameStart, nameLength,
                              word != nullptr ? TokenClass::Command : TokenClass::Unknown});
        tokens.push_back({open, 1, TokenClass::Punctuation});
        const std::size_t argumentsStart = open + 1;
        std::size_t position = 0;
        auto classify = [&](std::string_view piece) {
            ++position;
            const auto [start, length] = Trimmed(piece);
            if (length == 0) return;
            TokenClass kind = TokenClass::Argument;
            if (word != nullptr && (word->isBlockEnd || (word->isLoop && position == 2)))
                kind = TokenClass::BlockId;
            else if (IsNumber(piece))
                kind = TokenClass::Number;
            tokens.push_back({offset(piece) + start, length, kind});
        };
        ForEachArgument(statement.arguments, [&](std::string_view piece) {
            classify(piece);
            const std::size_t end = offset(piece) + piece.size();
            if (end < argumentsStart + statement.arguments.size())
                tokens.push_back({end, 1, TokenClass::Punctuation});
        });
        tokens.push_back({argumentsStart + statement.arguments.size(), 1, TokenClass::Punctuation});
    }
    return tokens;
}

std::vector<LineFault> FaultsByLine(const ScriptEngine& engine, std::string_view script) {
    std::vector<LineFault> faults;
    for (ScriptFault& fault : engine.FindFaults(script)) {
        // The text after the first line of the message: what is wrong, without the line and
        // the closing note the message box adds.
        std::string message = fault.message;
        const std::size_t feed = message.find('\n');
        if (feed != std::string::npos) message.erase(0, feed + 1);
        const std::size_t note = message.find("\n\n");
        if (note != std::string::npos) message.erase(note);
        faults.push_back(LineFault{fault.line, std::move(fault.statement), std::move(message)});
    }
    return faults;
}

double ContrastRatio(std::uint32_t a, std::uint32_t b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

ScriptPalette PaletteFor(std::uint32_t background) {
    // The side (dark text or light text) that black or white would stand out most from; on a
    // middling background a colour of that side is mixed toward its extreme until it reads.
    const bool darkText =
        ContrastRatio(0x000000, background) >= ContrastRatio(0xFFFFFF, background);
    ScriptPalette palette = darkText ? kForLight : kForDark;
    const std::uint32_t extreme = darkText ? 0x000000 : 0xFFFFFF;
    for (std::uint32_t* colour : {&palette.command, &palette.number, &palette.punctuation,
                                  &palette.blockId, &palette.argument, &palette.unknown}) {
        const std::uint32_t original = *colour;
        for (int step = 1; step <= 10 && ContrastRatio(*colour, background) < kReadable; ++step)
            *colour = Mix(original, extreme, step);
    }
    return palette;
}

std::uint32_t ColourOf(const ScriptPalette& palette, TokenClass kind, std::uint32_t plain) {
    switch (kind) {
        case TokenClass::Command:
            return palette.command;
        case TokenClass::Number:
            return palette.number;
        case TokenClass::Punctuation:
            return palette.punctuation;
        case TokenClass::BlockId:
            return palette.blockId;
        case TokenClass::Argument:
            return palette.argument;
        case TokenClass::Unknown:
            return palette.unknown;
        case TokenClass::Plain:
            break;
    }
    return plain;
}

std::string_view WordBeforeCaret(std::string_view line, std::size_t caret) {
    caret = std::min(caret, line.size());
    std::size_t wordStart = 0;
    bool insideBrackets = false;
    for (std::size_t pos = 0; pos < caret;) {
        const std::size_t length = CharLengthAt(line, pos);
        const std::string_view c = line.substr(pos, length);
        if (SameBytes(c, "(")) insideBrackets = true;
        if (SameBytes(c, ")")) insideBrackets = false;
        if (SameBytes(c, " ") || SameBytes(c, "\t") || SameBytes(c, ")") || SameBytes(c, "(") ||
            SameBytes(c, ",") || SameBytes(c, "\xA1\xA1"))
            wordStart = pos + length;
        pos += length;
    }
    if (insideBrackets || wordStart >= caret) return {};
    return line.substr(wordStart, caret - wordStart);
}

std::vector<const CommandWord*> CompletionOffers(std::string_view prefix,
                                                 const ScriptVocabulary& words) {
    std::vector<const CommandWord*> offers;
    if (prefix.empty()) return offers;
    for (const CommandWord& word : words.Words()) {
        if (word.name.size() < prefix.size()) continue;
        if (!SameBytes(std::string_view(word.name).substr(0, prefix.size()), prefix)) continue;
        // The prefix must end on one of the word's character boundaries.
        std::size_t pos = 0;
        while (pos < prefix.size()) pos += CharLengthAt(word.name, pos);
        if (pos == prefix.size()) offers.push_back(&word);
    }
    return offers;
}

CompletionInsert CompletionText(const CommandWord& word) {
    CompletionInsert insert;
    insert.text = word.name;
    insert.text += "()";
    insert.caret = word.name.size() + 1;
    return insert;
}

}  // namespace kavo
