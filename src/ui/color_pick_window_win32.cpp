#include "ui/color_pick_window_win32.h"

#include <commdlg.h>

#include "platform/win32/late_function_win32.h"
#include "platform/win32/unique_handle.h"
#include "ui/gdi_win32.h"

namespace kavo {
namespace {

constexpr int kPromptId = 102;  // 标签2
constexpr int kPickerId = 103;  // 颜色选择器1

}  // namespace

ColorPickWindow::ColorPickWindow(ColorRef initial) : color_(initial) {
    PendingAnswer().color = initial;
}

LRESULT ColorPickWindow::OnCreate() {
    AddControl(L"STATIC", L"请选择你需要的颜色值！", SS_LEFT | SS_NOPREFIX, 20, 40, 360, 32,
               kPromptId);
    AddControl(L"BUTTON", L"", WS_TABSTOP | BS_OWNERDRAW, 130, 83, 131, 24, kPickerId);
    HWND ok = AddControl(L"BUTTON", L"确定", WS_TABSTOP | BS_DEFPUSHBUTTON, 96, 123, 96, 25, IDOK);
    AddControl(L"BUTTON", L"取消", WS_TABSTOP | BS_PUSHBUTTON, 200, 123, 96, 25, IDCANCEL);
    SetFocus(ok);
    return 0;
}

void ColorPickWindow::OnPickerClicked() {
    static COLORREF customColors[16] = {};
    CHOOSECOLORW choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = Handle();
    choose.rgbResult = color_;
    choose.lpCustColors = customColors;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (ShowColorDialog(choose)) {
        color_ = choose.rgbResult;
        InvalidateRect(Item(kPickerId), nullptr, TRUE);
    }
}

bool ColorPickWindow::OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlID != static_cast<UINT>(kPickerId)) return false;
    RECT rect = item.rcItem;
    FillRect(item.hDC, &rect, GetSysColorBrush(COLOR_BTNSHADOW));
    InflateRect(&rect, -2, -2);
    FillColor(item.hDC, rect, color_);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
    return true;
}

LRESULT ColorPickWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) Finish({color_, false});
            if (LOWORD(wParam) == kPickerId) OnPickerClicked();
            return 0;
        case WM_DRAWITEM:
            return OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)) ? TRUE : FALSE;
        default:
            return DefaultProcedure(message, wParam, lParam);
    }
}

}  // namespace kavo
