// Finding in a rich edit control: FindableEditor over EM_FINDTEXTEXW and the control's
// selection, with GBK search texts turned into UTF-16 (code page 936); the search row both
// search windows share.
#pragma once

#include <windows.h>

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

// The whole text of an edit or rich edit control as GBK (code page 936).
RuntimeText ControlTextGbk(HWND control);

// The prompt and the one-line rich edit search box of the two search windows, at the same
// places in both. Returns the box.
HWND AddSearchRow(HWND window, int promptId, int boxId, UINT dpi, HGDIOBJ promptFont,
                  HGDIOBJ boxFont);

}  // namespace kavo
