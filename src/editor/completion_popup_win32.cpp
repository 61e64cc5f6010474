#include "editor/completion_popup_win32.h"

#include <imm.h>
#include <richedit.h>

#include <algorithm>
#include <utility>

#include "editor/editor_font_win32.h"
#include "editor/editor_widget_win32.h"
#include "editor/rtf_text.h"
#include "platform/win32/dpi_win32.h"
#include "text/wide.h"
#include "ui/gdi_win32.h"
#include "ui/window_text_win32.h"

namespace kavo {

namespace {

constexpr wchar_t kListClass[] = L"KavoCompletionList";

// The paragraph's characters before caret. Read backwards in growing pieces: a page can be long
// and this runs for every key typed.
std::wstring ParagraphBefore(HWND editor, LONG caret) {
    for (LONG piece = 256;; piece = piece > caret / 4 ? caret : piece * 4) {
        const LONG start = std::max<LONG>(0, caret - piece);
        std::wstring text = ReadTextRange(editor, start, caret);
        const std::size_t lineBreak = text.find_last_of(L"\r\n\v");
        if (lineBreak != std::wstring::npos) return text.substr(lineBreak + 1);
        if (start == 0) return text;
    }
}

bool ModifierHeld() {
    return GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0 || GetKeyState(VK_SHIFT) < 0;
}

COLORREF ReadableOn(COLORREF background) {
    return ContrastRatio(RGB(0, 0, 0), background) >= ContrastRatio(RGB(255, 255, 255), background)
               ? RGB(0, 0, 0)
               : RGB(255, 255, 255);
}

}  // namespace

// --- the list ---

CompletionList::CompletionList(std::function<void(int)> picked) : picked_(std::move(picked)) {}

CompletionList::~CompletionList() {
    DestroyDetached();
}

void CompletionList::Show(HWND owner, std::vector<std::wstring> entries, POINT anchor, int lineTop,
                          HFONT font, COLORREF background, UINT dpi) {
    if (Handle() == nullptr) {
        if (!RegisterClassOnce(kListClass, nullptr, nullptr)) return;
        // A pop-up without a system menu, shown without activation, stays out of the window
        // manager's hands under Wine and above its owner.
        CreateWindowFor(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kListClass, kTitle,
                        WS_POPUP | WS_BORDER, 0, 0, 0, 0, owner, nullptr);
        if (Handle() == nullptr) return;
    }
    entries_ = std::move(entries);
    chosen_ = -1;
    font_ = font;
    background_ = background;
    padding_ = ScaleToDpi(4, dpi);

    const UniqueScreenDc screen(GetDC(nullptr));
    int widest = 0;
    {
        ScopedSelection selected(screen.get(), font_);
        TEXTMETRICW metrics{};
        GetTextMetricsW(screen.get(), &metrics);
        rowHeight_ = metrics.tmHeight + ScaleToDpi(4, dpi);
        for (const std::wstring& entry : entries_) {
            SIZE size{};
            GetTextExtentPoint32W(screen.get(), entry.c_str(), static_cast<int>(entry.size()),
                                  &size);
            widest = std::max<int>(widest, size.cx);
        }
    }

    RECT frame{0, 0, widest + 2 * padding_, rowHeight_ * static_cast<int>(entries_.size())};
    AdjustWindowRectEx(&frame, WS_POPUP | WS_BORDER, FALSE, WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    // Kept on the caret's monitor: above the line when there is no room below it.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromPoint(anchor, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    int x = std::max<int>(work.left, std::min<int>(anchor.x, work.right - width));
    int y = anchor.y;
    if (y + height > work.bottom) y = std::max<int>(work.top, lineTop - height);
    SetWindowPos(Handle(), HWND_TOP, x, y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(Handle(), nullptr, TRUE);
}

void CompletionList::Hide() {
    if (Handle() != nullptr && IsWindowVisible(Handle()))
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                     SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_HIDEWINDOW);
    entries_.clear();
    chosen_ = -1;
}

bool CompletionList::Shown() const {
    return Handle() != nullptr && IsWindowVisible(Handle());
}

void CompletionList::Choose(int index) {
    chosen_ = index >= 0 && index < static_cast<int>(entries_.size()) ? index : -1;
    if (Handle() != nullptr) InvalidateRect(Handle(), nullptr, TRUE);
}

RECT CompletionList::RowRect(int index) const {
    RECT client{};
    GetClientRect(Handle(), &client);
    return RECT{0, index * rowHeight_, client.right, (index + 1) * rowHeight_};
}

LRESULT CompletionList::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;  // the editor keeps the focus
        case WM_LBUTTONDOWN:
            OnLeftButtonDown(lParam);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            OnPaint();
            return 0;
        default:
            return DefaultProcedure(message, wParam, lParam);
    }
}

void CompletionList::OnPaint() {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(Handle(), &paint);
    RECT client{};
    GetClientRect(Handle(), &client);
    FillColor(dc, client, background_);
    {
        ScopedSelection selected(dc, font_);
        SetBkMode(dc, TRANSPARENT);
        const COLORREF text = ReadableOn(background_);
        for (int index = 0; index < static_cast<int>(entries_.size()); ++index) {
            const RECT row = RowRect(index);
            if (index == chosen_) FillColor(dc, row, GetSysColor(COLOR_HIGHLIGHT));
            // What Tab would insert while nothing is chosen.
            if (chosen_ < 0 && index == 0) FrameColor(dc, row, GetSysColor(COLOR_HIGHLIGHT));
            SetTextColor(dc, index == chosen_ ? GetSysColor(COLOR_HIGHLIGHTTEXT) : text);
            RECT inside = row;
            inside.left += padding_;
            const std::wstring& entry = entries_[static_cast<std::size_t>(index)];
            DrawTextW(dc, entry.c_str(), static_cast<int>(entry.size()), &inside,
                      DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        }
    }
    EndPaint(Handle(), &paint);
}

void CompletionList::OnLeftButtonDown(LPARAM lParam) {
    const int y = static_cast<short>(HIWORD(lParam));
    if (y < 0 || rowHeight_ <= 0) return;
    const int index = y / rowHeight_;
    if (index < static_cast<int>(entries_.size()) && picked_) picked_(index);
}

// --- completion in the editor ---

EditorCompletion::EditorCompletion(HWND editor, ScriptVocabulary words,
                                   std::function<bool()> mayOffer,
                                   std::function<COLORREF()> background)
    : editor_(editor),
      words_(std::move(words)),
      mayOffer_(std::move(mayOffer)),
      background_(std::move(background)),
      list_([this](int index) { Insert(index); }) {
    Subclass(editor_);
}

EditorCompletion::~EditorCompletion() = default;

void EditorCompletion::Close() {
    list_.Hide();
    offers_.clear();
}

CHARRANGE EditorCompletion::Selection() const {
    CHARRANGE selection{};
    SendMessageW(editor_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    return selection;
}

LRESULT EditorCompletion::HandleSubclassMessage(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    switch (message) {
        case WM_KEYDOWN: {
            swallowChar_ = 0;
            if (!IsOpen()) break;
            if (OnKeyWhileOpen(wParam)) return 0;
            const LRESULT result = DefaultSubclassProcedure(window, message, wParam, lParam);
            if (!IsOpen()) return result;
            if (wParam == VK_BACK || wParam == VK_DELETE) {
                Refresh(false);
            } else if (wParam != VK_SHIFT && wParam != VK_CONTROL && wParam != VK_MENU &&
                       wParam != VK_CAPITAL) {
                // A key that moved the caret away; a character key's text comes as WM_CHAR.
                const CHARRANGE selection = Selection();
                if (selection.cpMin != caret_ || selection.cpMax != caret_) Close();
            }
            return result;
        }
        case WM_CHAR: {
            if (swallowChar_ != 0 && wParam == swallowChar_) {
                swallowChar_ = 0;
                return 0;
            }
            swallowChar_ = 0;
            const LRESULT result = DefaultSubclassProcedure(window, message, wParam, lParam);
            Refresh(wParam >= L' ');
            return result;
        }
        case WM_UNICHAR:
        case WM_IME_CHAR: {
            const LRESULT result = DefaultSubclassProcedure(window, message, wParam, lParam);
            if (wParam != UNICODE_NOCHAR) Refresh(true);
            return result;
        }
        case WM_IME_COMPOSITION: {
            const LRESULT result = DefaultSubclassProcedure(window, message, wParam, lParam);
            if ((lParam & GCS_RESULTSTR) != 0) Refresh(true);
            return result;
        }
        // The caret goes elsewhere, the view moves, the text is replaced, or the editor is left.
        case WM_KILLFOCUS:
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_VSCROLL:
        case WM_HSCROLL:
        case WM_MOUSEWHEEL:
        case WM_MOUSEHWHEEL:
        case WM_SIZE:
        case WM_SETTEXT:
        case WM_PASTE:
        case WM_CUT:
        case WM_CLEAR:
        case WM_UNDO:
        case EM_UNDO:
        case EM_REDO:
        case EM_SETTEXTEX:
        case EM_STREAMIN:
        case EM_LINESCROLL:
        case EM_SCROLL:
        case WM_DESTROY:
            Close();
            break;
        default:
            break;
    }
    return DefaultSubclassProcedure(window, message, wParam, lParam);
}

bool EditorCompletion::OnKeyWhileOpen(WPARAM key) {
    const int count = static_cast<int>(offers_.size());
    const int chosen = list_.Chosen();
    if (count == 0) return false;
    switch (key) {
        case VK_DOWN:
            if (ModifierHeld()) return false;
            list_.Choose((chosen + 1) % count);
            return true;
        case VK_UP:
            if (ModifierHeld()) return false;
            list_.Choose(chosen <= 0 ? count - 1 : chosen - 1);
            return true;
        case VK_TAB:
            if (ModifierHeld()) return false;
            swallowChar_ = L'\t';
            Insert(chosen >= 0 ? chosen : 0);
            return true;
        case VK_RETURN:
            if (chosen < 0 || ModifierHeld()) {
                Close();  // a new line, as without the list
                return false;
            }
            swallowChar_ = L'\r';
            Insert(chosen);
            return true;
        case VK_ESCAPE:
            swallowChar_ = 0x1B;
            Close();
            return true;
        default:
            return false;
    }
}

void EditorCompletion::Refresh(bool mayOpen) {
    if (!mayOpen && !IsOpen()) return;
    if (mayOffer_ && !mayOffer_()) return Close();
    const CHARRANGE selection = Selection();
    if (selection.cpMin != selection.cpMax) return Close();
    // An RTF page is shown as its source: no script is typed there.
    if (IsRtfDocument(WideToGbk(ReadTextRange(editor_, 0, 5)))) return Close();
    const RuntimeText line = WideToGbk(ParagraphBefore(editor_, selection.cpMin));
    const std::string_view word = WordBeforeCaret(line, line.size());
    std::vector<const CommandWord*> offers = CompletionOffers(word, words_);
    if (offers.empty()) return Close();

    const int chosen = list_.Chosen();
    const CommandWord* chosenWord =
        chosen >= 0 && chosen < static_cast<int>(offers_.size()) ? offers_[chosen] : nullptr;
    offers_ = std::move(offers);
    caret_ = selection.cpMin;
    typed_ = GbkToWide(word);
    wordStart_ = caret_ - static_cast<LONG>(typed_.size());
    Place();
    // A choice stays with its word while that is still offered.
    const auto kept = std::find(offers_.begin(), offers_.end(), chosenWord);
    list_.Choose(kept == offers_.end() ? -1 : static_cast<int>(kept - offers_.begin()));
}

void EditorCompletion::Place() {
    // The editor's own font, at the editor's DPI and zoom.
    const UINT dpi = WindowDpi(editor_);
    HFONT font = EditorFontOf(editor_);
    int lineHeight = 0;
    {
        const UniqueScreenDc screen(GetDC(nullptr));
        ScopedSelection selected(screen.get(), font);
        TEXTMETRICW metrics{};
        GetTextMetricsW(screen.get(), &metrics);
        lineHeight = metrics.tmHeight + metrics.tmExternalLeading;
    }

    POINTL at{};
    SendMessageW(editor_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), wordStart_);
    POINT lineTop{at.x, at.y};
    ClientToScreen(editor_, &lineTop);
    const POINT anchor{lineTop.x, lineTop.y + lineHeight};

    std::vector<std::wstring> entries;
    entries.reserve(offers_.size());
    for (const CommandWord* word : offers_) entries.push_back(GbkToWide(word->form));
    const COLORREF background = background_ ? background_() : GetSysColor(COLOR_WINDOW);
    list_.Show(GetAncestor(editor_, GA_ROOT), std::move(entries), anchor, lineTop.y, font,
               background, dpi);
}

void EditorCompletion::Insert(int index) {
    if (index < 0 || index >= static_cast<int>(offers_.size())) return;
    const CompletionInsert insert = CompletionText(*offers_[static_cast<std::size_t>(index)]);
    const LONG start = wordStart_;
    const LONG end = caret_;
    const bool typedStands = ReadTextRange(editor_, start, end) == typed_;
    Close();
    if (!typedStands) return;
    const std::wstring text = GbkToWide(insert.text);
    const auto caretUnits =
        static_cast<LONG>(GbkToWide(std::string_view(insert.text).substr(0, insert.caret)).size());
    // The typing before stays a step of its own; the insertion is one step.
    SendMessageW(editor_, EM_STOPGROUPTYPING, 0, 0);
    CHARRANGE typed{start, end};
    SendMessageW(editor_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&typed));
    SendMessageW(editor_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    CHARRANGE caret{start + caretUnits, start + caretUnits};
    SendMessageW(editor_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
}

// --- the feature ---

ScriptCompletion::ScriptCompletion(MainWindowServices& services, std::function<bool()> recording)
    : completion_(
          services.Editor().Handle(), ScriptVocabulary(),
          [recording = std::move(recording)] { return !recording || !recording(); },
          [&services] { return services.Colors().editorBackground; }) {
    // The list stands where the caret was on the screen: it goes when the window moves.
    services.Events().moved.Subscribe([this] { completion_.Close(); });
}

}  // namespace kavo
