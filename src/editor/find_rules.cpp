#include "editor/find_rules.h"

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
