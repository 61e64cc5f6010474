#include "editor/color_pick_dialog_win32.h"

#include <commdlg.h>

#include "editor/small_window_parts_win32.h"
#include "platform/win32/dpi_win32.h"

namespace kavo {
namespace {

constexpr wchar_t kClassName[] = L"KavoColorPickDialog";
constexpr wchar_t kTitle[] = L"温馨提示";
constexpr int kTitleId = 101;         // 标签1
constexpr int kPromptId = 102;        // 标签2
constexpr int kPickerId = 103;        // 颜色选择器1
constexpr UINT_PTR kBounceTimer = 1;  // 时钟1

}  // namespace

ColorAnswer ColorPickWindow::Ask(HWND owner, ColorRef initial) {
    RegisterClassOnce(kClassName, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
    ColorPickWindow dialog(initial);
    dialog.answer_.color = initial;
    const auto place = small_window::PlaceFor(owner, 400, 168);
    if (!dialog.CreateWindowFor(0, kClassName, kTitle, WS_POPUP | WS_BORDER | WS_CLIPCHILDREN,
                                small_window::kStartLeft, small_window::kStartTop, place.width,
                                place.height, owner, nullptr))
        return dialog.answer_;
    small_window::RunModal(dialog.Handle(), owner, dialog.finished_);
    return dialog.answer_;
}

LRESULT ColorPickWindow::OnCreate() {
    const UINT dpi = WindowDpi(Handle());
    look_ = small_window::MakeLook(dpi);
    using small_window::AddControl;
    small_window::AddTitleStrip(Handle(), kTitle, 400, kTitleId, dpi, look_.titleFont.get());
    AddControl(Handle(), L"STATIC", L"请选择你需要的颜色值！", SS_LEFT | SS_NOPREFIX, 20, 40, 360,
               32, kPromptId, dpi, look_.font.get());
    AddControl(Handle(), L"BUTTON", L"", WS_TABSTOP | BS_OWNERDRAW, 130, 83, 131, 24, kPickerId,
               dpi, look_.font.get());
    HWND ok = AddControl(Handle(), L"BUTTON", L"确定", WS_TABSTOP | BS_DEFPUSHBUTTON, 96, 123, 96,
                         25, IDOK, dpi, look_.font.get());
    AddControl(Handle(), L"BUTTON", L"取消", WS_TABSTOP | BS_PUSHBUTTON, 200, 123, 96, 25, IDCANCEL,
               dpi, look_.font.get());
    SetFocus(ok);
    StartBounceIn(Handle(), kBounceTimer);
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
    if (ChooseColorW(&choose)) {
        color_ = choose.rgbResult;
        InvalidateRect(GetDlgItem(Handle(), kPickerId), nullptr, TRUE);
    }
}

bool ColorPickWindow::OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlID != static_cast<UINT>(kPickerId)) return false;
    RECT rect = item.rcItem;
    FillRect(item.hDC, &rect, GetSysColorBrush(COLOR_BTNSHADOW));
    InflateRect(&rect, -2, -2);
    const UniqueGdiObject swatch(CreateSolidBrush(color_));
    FillRect(item.hDC, &rect, static_cast<HBRUSH>(swatch.get()));
    if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
    return true;
}

void ColorPickWindow::Finish(bool accepted) {
    if (finished_) return;
    answer_.cancelled = !accepted;
    if (accepted) answer_.color = color_;
    finished_ = true;
}

LRESULT ColorPickWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (const auto answer =
            small_window::TitleStripMessage(Handle(), message, wParam, lParam, kTitleId, look_))
        return *answer;
    switch (message) {
        case WM_CREATE:
            return OnCreate();
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) Finish(true);
            if (LOWORD(wParam) == IDCANCEL) Finish(false);
            if (LOWORD(wParam) == kPickerId) OnPickerClicked();
            return 0;
        case WM_DRAWITEM:
            return OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)) ? TRUE : FALSE;
        case WM_TIMER:
            if (wParam == kBounceTimer)
                BounceInTick(Handle(), BounceWindowKind::ColorPickDialog, kBounceTimer);
            return 0;
        case WM_CLOSE:  // Alt+F4 and the like: a cancel
            Finish(false);
            return 0;
        default:
            return DefaultProcedure(message, wParam, lParam);
    }
}

}  // namespace kavo
