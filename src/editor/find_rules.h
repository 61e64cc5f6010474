// Finding a text in the script editor: the first occurrence from the top, and the next one after
// the current selection. Positions are the editor's character positions: a double-byte
// character counts 1 and a line break (CR LF) counts 1.
#pragma once

#include <optional>
#include <string_view>

#include "platform/platform.h"
#include "text/runtime_text.h"

namespace kavo {

// The editor positions a GBK text occupies. A byte 0x80 or above (the first byte of a
// double-byte character) or a CR takes the byte after it along; the last byte is counted
// without being looked at.
int CountCharacters(std::string_view text);

// Pages are GBK: a search text holding a character GBK cannot hold is in none of them, and
// turned into GBK it would become a '?' that pages do hold. Both search windows refuse such a
// text with this message (naming the first such character); nullopt when the text (UTF-8) can
// be searched.
std::optional<Utf8Text> RefusalOfTextOutsideGbk(std::string_view typed);

// What finding needs from the script editor.
class FindableEditor {
  public:
    virtual ~FindableEditor() = default;
    // Positions in the whole text.
    virtual int TextLength() = 0;
    // First occurrence of text starting in [from, to), forward, letter case counting, not whole
    // words; -1 when there is none.
    virtual int Find(const RuntimeText& text, int from, int to) = 0;
    virtual int SelectionStart() = 0;
    virtual void Select(int start, int length) = 0;
    virtual void Focus() = 0;
};

// Selects the first occurrence in the whole text; leaves the selection alone when there is
// none. The editor gets the focus either way.
void FindFromStart(FindableEditor& editor, const RuntimeText& text);

// Selects the next occurrence starting after the selection's start, so overlapping occurrences
// are all found. No wrap-around: after the last one the selection stays. The editor gets the
// focus either way.
void FindNext(FindableEditor& editor, const RuntimeText& text);

}  // namespace kavo
