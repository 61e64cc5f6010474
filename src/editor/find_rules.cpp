#include "editor/find_rules.h"

#include "text/encoding.h"

namespace kavo {

int CountCharacters(std::string_view text) {
    int positions = 0;
    for (std::size_t pos = 0; pos < text.size(); ++positions) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        const bool takesNext = pos + 1 < text.size() && (byte >= 0x80 || byte == '\r');
        pos += takesNext ? 2 : 1;
    }
    return positions;
}

namespace {

// Bytes of the UTF-8 character that starts at pos (a stray byte counts alone).
std::size_t Utf8CharacterLength(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return pos + length <= text.size() ? length : 1;
}

}  // namespace

std::optional<Utf8Text> RefusalOfTextOutsideGbk(std::string_view typed) {
    for (std::size_t pos = 0; pos < typed.size();) {
        const std::string_view character = typed.substr(pos, Utf8CharacterLength(typed, pos));
        pos += character.size();
        // A character GBK holds comes back unchanged; any other becomes '?' or a look-alike.
        if (GbkToUtf8(Utf8ToGbk(character)) != character)
            return "“" + Utf8Text(character) + "”不是 GBK 字符，页面里不会有它，没有搜索。";
    }
    return std::nullopt;
}

namespace {
void SelectMatch(FindableEditor& editor, const RuntimeText& text, int from) {
    const int found = editor.Find(text, from, editor.TextLength());
    if (found != -1) editor.Select(found, CountCharacters(text));
    editor.Focus();
}
}  // namespace

void FindFromStart(FindableEditor& editor, const RuntimeText& text) {
    SelectMatch(editor, text, 0);
}

void FindNext(FindableEditor& editor, const RuntimeText& text) {
    SelectMatch(editor, text, editor.SelectionStart() + 1);
}

}  // namespace kavo
