#include "editor/line_gutter_win32.h"

#include <richedit.h>
#include <windowsx.h>

#include <algorithm>
#include <string>

#include "editor/editor_font_win32.h"
#include "editor/editor_widget_win32.h"
#include "ui/gdi_win32.h"
#include "ui/window_text_win32.h"

namespace kavo {

namespace {

constexpr wchar_t kGutterClass[] = L"KavoLineGutter";
constexpr UINT kRelayoutMessage = WM_APP + 0x4B;

COLORREF Blend(COLORREF from, COLORREF to, int percentOfTo) {
    const auto mix = [percentOfTo](int a, int b) {
        return (a * (100 - percentOfTo) + b * percentOfTo) / 100;
    };
    return RGB(mix(GetRValue(from), GetRValue(to)), mix(GetGValue(from), GetGValue(to)),
               mix(GetBValue(from), GetBValue(to)));
}

bool IsDark(COLORREF colour) {
    return GetRValue(colour) * 299 + GetGValue(colour) * 587 + GetBValue(colour) * 114 < 128000;
}

POINT CharacterPosition(HWND editor, long position) {
    POINTL point{};
    SendMessageW(editor, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&point), position);
    return {point.x, point.y};
}

}  // namespace

LineGutter::LineGutter(MainWindowServices& services)
    : services_(services), editor_(services.Editor().Handle()), index_([this](long from, long to) {
          const std::wstring text = ReadTextRange(editor_, from, to);
          return std::u16string(text.begin(), text.end());
      }) {
    RegisterClassOnce(kGutterClass, nullptr, nullptr);
    HWND parent = GetParent(editor_);
    CreateWindowFor(0, kGutterClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                    parent, nullptr);
    // Right above the editor: under the panels that lie over the editor's top.
    HWND above = GetWindow(editor_, GW_HWNDPREV);
    SetWindowPos(Handle(), above != nullptr ? above : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Subclass(editor_);
    // The width for a new page is set before its text goes in: a change of the editor's text
    // rectangle afterwards would wrap the whole page again (most of a second for 20,000 lines
    // under Wine).
    services.Editor().SetReplacingObserver([this](const RuntimeText& text) {
        digits_ = GutterDigits(static_cast<long>(std::count(text.begin(), text.end(), '\n')) + 1);
        Layout();
    });
    EditorEvents& events = services.Editor().Events();
    events.textChanged.Subscribe([this] { OnEditorChanged(); });
    events.selectionChanged.Subscribe(
        [this](const CHARRANGE& range) { OnSelectionChanged(range); });
    Layout();
}

LineGutter::~LineGutter() {
    DestroyDetached();
}

void LineGutter::SetFaultLines(std::vector<int> lines) {
    std::sort(lines.begin(), lines.end());
    if (lines == faultLines_) return;
    faultLines_ = std::move(lines);
    InvalidateRect(Handle(), nullptr, FALSE);
}

void LineGutter::SetRunMark(int line, RunLineMark mark) {
    runLine_ = line;
    runMark_ = mark;
    generation_ = services_.Editor().Generation();
    InvalidateRect(Handle(), nullptr, FALSE);
}

LRESULT LineGutter::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint fills everything
        case kRelayoutMessage:
            Layout();
            InvalidateRect(Handle(), nullptr, FALSE);
            return 0;
        case WM_LBUTTONDOWN:
            OnClick(GET_Y_LPARAM(lParam));
            return 0;
        default:
            return DefaultProcedure(message, wParam, lParam);
    }
}

LRESULT LineGutter::HandleSubclassMessage(HWND editor, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = DefaultSubclassProcedure(editor, message, wParam, lParam);
    switch (message) {
        case WM_PAINT:
            OnEditorPainted();
            break;
        case WM_WINDOWPOSCHANGED:
        case WM_SETFONT:
            Layout();
            break;
        default:
            break;
    }
    return result;
}

void LineGutter::OnClick(int y) {
    // A click beside a row puts the caret at the row's start, and the focus stays in the editor.
    POINTL point{width_ + 2, y};
    const LRESULT position =
        SendMessageW(editor_, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&point));
    const LRESULT row = SendMessageW(editor_, EM_EXLINEFROMCHAR, 0, position);
    const LRESULT start = SendMessageW(editor_, EM_LINEINDEX, static_cast<WPARAM>(row), 0);
    SendMessageW(editor_, EM_SETSEL, static_cast<WPARAM>(start), start);
    SetFocus(editor_);
}

void LineGutter::OnEditorChanged() {
    CHARRANGE selection{};
    SendMessageW(editor_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const std::uint64_t generation = services_.Editor().Generation();
    if (generation != generation_) {
        lastChangeFrom_ = 0;
        index_.Reset();
        DropMarksOfAnotherText();
    } else {
        lastChangeFrom_ = std::min(lowestSelection_, static_cast<long>(selection.cpMin));
        index_.TextChangedFrom(lastChangeFrom_);
        // A run's mark belongs to the text it ran; an edit may have moved its line.
        runMark_ = RunLineMark::None;
    }
    lowestSelection_ = selection.cpMin;
    Layout();
    InvalidateRect(Handle(), nullptr, FALSE);
}

void LineGutter::OnSelectionChanged(const CHARRANGE& selection) {
    lowestSelection_ = std::min(lowestSelection_, static_cast<long>(selection.cpMin));
}

void LineGutter::DropMarksOfAnotherText() {
    generation_ = services_.Editor().Generation();
    runMark_ = RunLineMark::None;
    faultLines_.clear();
}

LineGutter::View LineGutter::CurrentView() {
    View view;
    view.firstRow = static_cast<long>(SendMessageW(editor_, EM_GETFIRSTVISIBLELINE, 0, 0));
    const LRESULT first =
        SendMessageW(editor_, EM_LINEINDEX, static_cast<WPARAM>(view.firstRow), 0);
    view.firstY = CharacterPosition(editor_, static_cast<long>(std::max<LRESULT>(first, 0))).y;
    view.rows = static_cast<long>(SendMessageW(editor_, EM_GETLINECOUNT, 0, 0));
    view.fontHeight = fontHeight_;
    return view;
}

void LineGutter::OnEditorPainted() {
    // Scrolling, zooming and a new font all end in a paint of the editor.
    if (CurrentView() == painted_) return;
    Layout();
    InvalidateRect(Handle(), nullptr, FALSE);
    if (viewMoved_) viewMoved_();
}

void LineGutter::Layout() {
    if (Handle() == nullptr) return;
    const HFONT font = EditorFontOf(editor_);
    fontHeight_ = EditorFontHeightOf(editor_);
    const HDC dc = GetDC(Handle());
    SIZE digit{};
    {
        const ScopedSelection selected(dc, font);
        GetTextExtentPoint32W(dc, L"0", 1, &digit);
    }
    ReleaseDC(Handle(), dc);
    // Digits, a little room each side, and a mark's width before them.
    const int width = digits_ * digit.cx + digit.cx + digit.cx / 2 + 6;
    RECT client{};
    GetClientRect(editor_, &client);
    MapWindowPoints(editor_, GetParent(editor_), reinterpret_cast<POINT*>(&client), 2);
    SetWindowPos(Handle(), nullptr, client.left, client.top, width, client.bottom - client.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // The text starts right of the gutter. The formatting rectangle, not EM_SETMARGINS: Wine's
    // rich edit ignores the margins. It is set again whenever the editor changes size.
    RECT text{};
    SendMessageW(editor_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
    RECT wanted{};
    GetClientRect(editor_, &wanted);
    wanted.left = width + digit.cx / 2;
    wanted.top = text.top;
    if (width != width_ || !EqualRect(&text, &wanted)) {
        width_ = width;
        SendMessageW(editor_, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&wanted));
    }
}

void LineGutter::Describe(int firstShown, int lastShown) {
    // What the gutter shows, in words, as its window text: for screen readers and for anyone
    // who inspects the window.
    std::wstring text = std::to_wstring(firstShown) + L"-" + std::to_wstring(lastShown);
    if (!faultLines_.empty()) {
        text += L" 错误:";
        for (std::size_t i = 0; i < faultLines_.size() && i < 20; ++i)
            text += (i > 0 ? L"," : L"") + std::to_wstring(faultLines_[i]);
    }
    if (runMark_ == RunLineMark::ScriptFault) text += L" 脚本错误:" + std::to_wstring(runLine_);
    if (runMark_ == RunLineMark::Stopped) text += L" 停止:" + std::to_wstring(runLine_);
    if (text != described_) {
        described_ = text;
        SetWindowTextW(Handle(), text.c_str());
    }
}

void LineGutter::OnPaint() {
    PAINTSTRUCT paint{};
    const HDC target = BeginPaint(Handle(), &paint);
    RECT client{};
    GetClientRect(Handle(), &client);
    // Drawn off screen first: the numbers do not flicker while the editor scrolls.
    const UniqueMemoryDc memory(CreateCompatibleDC(target));
    const HDC dc = memory.get();
    const UniqueGdiObject bitmap(CreateCompatibleBitmap(target, std::max<LONG>(client.right, 1),
                                                        std::max<LONG>(client.bottom, 1)));
    {
        const ScopedSelection selectedBitmap(dc, bitmap.get());
        const COLORREF background = services_.Colors().editorBackground;
        const COLORREF ink = IsDark(background) ? RGB(255, 255, 255) : RGB(0, 0, 0);
        const COLORREF fault = IsDark(background) ? RGB(255, 110, 110) : RGB(200, 0, 0);
        FillColor(dc, client, Blend(background, ink, 5));
        RECT edge{client.right - 1, 0, client.right, client.bottom};
        FillColor(dc, edge, Blend(background, ink, 20));
        const ScopedSelection selectedFont(dc, EditorFontOf(editor_));
        SetBkMode(dc, TRANSPARENT);
        if (services_.Editor().Generation() != generation_) DropMarksOfAnotherText();

        const View view = CurrentView();
        RECT editorClient{};
        GetClientRect(editor_, &editorClient);
        const LRESULT firstChar =
            SendMessageW(editor_, EM_LINEINDEX, static_cast<WPARAM>(view.firstRow), 0);
        // The character before each row tells whether the row begins a page line.
        const long readFrom = std::max<long>(static_cast<long>(firstChar) - 1, 0);
        POINTL bottomRight{editorClient.right, editorClient.bottom};
        const long lastChar = static_cast<long>(
            SendMessageW(editor_, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&bottomRight)));
        const std::wstring shown = ReadTextRange(editor_, readFrom, lastChar + 1);
        int firstShown = 0;
        int lastShown = 0;
        for (long row = view.firstRow; row < view.rows; ++row) {
            const LRESULT start = SendMessageW(editor_, EM_LINEINDEX, static_cast<WPARAM>(row), 0);
            if (start < 0) break;
            const int top = CharacterPosition(editor_, static_cast<long>(start)).y;
            if (top >= client.bottom) break;
            const LRESULT next =
                SendMessageW(editor_, EM_LINEINDEX, static_cast<WPARAM>(row + 1), 0);
            const int bottom = next > start ? CharacterPosition(editor_, static_cast<long>(next)).y
                                            : top + fontHeight_ + fontHeight_ / 4;
            const long before = static_cast<long>(start) - 1 - readFrom;
            const bool beginsLine =
                start == 0 || (before >= 0 && before < static_cast<long>(shown.size()) &&
                               shown[static_cast<std::size_t>(before)] == L'\r');
            if (!beginsLine) continue;
            const int line = index_.LineOf(static_cast<long>(start));
            if (firstShown == 0) firstShown = line;
            lastShown = line;
            RECT rowRect{0, top, client.right - 1, std::max(bottom, top + 1)};
            if (runMark_ != RunLineMark::None && line == runLine_)
                FillColor(dc, rowRect,
                          runMark_ == RunLineMark::ScriptFault
                              ? Blend(background, fault, 30)
                              : Blend(background, RGB(255, 190, 0), 55));
            const bool faulty = std::binary_search(faultLines_.begin(), faultLines_.end(), line);
            if (faulty) {
                // A dot before the number.
                const int size = std::max(4, fontHeight_ / 3);
                const int middle = top + std::min(fontHeight_, bottom - top) / 2;
                RECT dot{2, middle - size / 2, 2 + size, middle - size / 2 + size};
                const UniqueGdiObject brush(CreateSolidBrush(fault));
                const ScopedSelection selectedBrush(dc, brush.get());
                const ScopedSelection selectedPen(dc, GetStockObject(NULL_PEN));
                Ellipse(dc, dot.left, dot.top, dot.right + 1, dot.bottom + 1);
            }
            SetTextColor(dc, faulty ? fault : Blend(background, ink, 55));
            const std::wstring number = std::to_wstring(line);
            RECT textRect{0, top, client.right - 4, bottom};
            DrawTextW(dc, number.c_str(), static_cast<int>(number.size()), &textRect,
                      DT_RIGHT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
        }
        painted_ = view;
        Describe(firstShown, lastShown);
        // The page grew past a power of ten: room for one more digit, after this paint.
        if (GutterDigits(lastShown) > digits_) {
            digits_ = GutterDigits(lastShown);
            PostMessageW(Handle(), kRelayoutMessage, 0, 0);
        }
        BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    }
    EndPaint(Handle(), &paint);
}

}  // namespace kavo
