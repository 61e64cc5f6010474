#include "editor/key_code_window_win32.h"

#include "editor/key_code_text.h"
#include "text/wide.h"

namespace kavo {
namespace {

constexpr int kTextId = 101;  // 编辑框1

}  // namespace

LRESULT KeyCodeWindow::OnCreate() {
    AddControl(L"EDIT", Utf8ToWide(kKeyCodeText).c_str(),
               WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 8, 368, 320,
               kTextId);
    return 0;
}

}  // namespace kavo
