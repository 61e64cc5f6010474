// Finding in a rich edit control: FindableEditor over EM_FINDTEXTEXW and the control's
// selection, with GBK search texts turned into UTF-16 (code page 936); the search row both
// search windows share, and the refusal of a text GBK cannot hold.
#pragma once

#include <windows.h>

#include <optional>

#include "editor/find_rules.h"

namespace kavo {

class RichEditFind : public FindableEditor {
  public:
    explicit RichEditFind(HWND richEdit) : editor_(richEdit) {}

    int TextLength() override;
    int Find(const RuntimeText& text, int from, int to) override;
    int SelectionStart() override;
    // Also scrolls the selection into view.
    void Select(int start, int length) override;
    void Focus() override;

  private:
    HWND editor_;
};

// The prompt and the one-line rich edit search box of the two search windows, at the same
// places in both. Returns the box.
HWND AddSearchRow(HWND window, int promptId, int boxId, UINT dpi, HGDIOBJ promptFont,
                  HGDIOBJ boxFont);

// The search row's text as GBK, ready to search. A text with a character GBK cannot hold is
// refused (RefusalOfTextOutsideGbk): nullopt, and the prompt says why until a text that can be
// searched is asked for.
std::optional<RuntimeText> SearchTextOrRefusal(HWND window, int promptId, int boxId);

}  // namespace kavo
