#include "editor/script_colours_win32.h"

#include <commctrl.h>
#include <richole.h>
#include <tom.h>
#include <windowsx.h>

#include <algorithm>
#include <chrono>

#include "editor/editor_widget_win32.h"
#include "editor/line_numbers.h"
#include "editor/rtf_text.h"
#include "engine/script_engine.h"
#include "engine/statement_scan.h"
#include "shell/command_ids.h"
#include "text/encoding.h"
#include "text/wide.h"

namespace kavo {

namespace {

// How long typing must pause before the script is checked again.
constexpr UINT kCheckDelayMs = 300;
// The lines out of view are coloured in slices this long, one per tick, so typing goes on.
constexpr std::uint64_t kIdleSliceUs = 12000;
constexpr UINT kIdleTickMs = 10;
// Lines out of view coloured ahead, each side. Wine's rich edit takes about a millisecond per
// line, so a page of 20,000 lines is coloured around the view rather than whole.
constexpr std::size_t kLinesAroundView = 150;
// A fault's tip shows when the pointer has rested this long; the timer is the editor's, with an
// id the rich edit does not use.
constexpr UINT_PTR kTipTimer = 0x4B5654;
constexpr UINT kTipDelayMs = 500;

// ITextDocument's interface id, spelled out: not every import library carries it.
constexpr IID kTextDocumentId = {
    0x8CC497C0, 0xA1DF, 0x11CE, {0x80, 0x98, 0x00, 0xAA, 0x00, 0x47, 0xBE, 0x5D}};

// The control's character count before a byte offset of a GBK line: every GBK character is
// one UTF-16 unit.
LONG Units(std::string_view line, std::size_t bytes) {
    LONG units = 0;
    for (std::size_t pos = 0; pos < bytes && pos < line.size(); pos += CharLengthAt(line, pos))
        ++units;
    return units;
}

std::uint64_t NowUs() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

struct TextColour {
    COLORREF colour = 0;
    bool automatic = false;
};

TextColour SelectionColour(HWND editor) {
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    SendMessageW(editor, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    return {format.crTextColor, (format.dwEffects & CFE_AUTOCOLOR) != 0};
}

}  // namespace

DisplayOnlyFormatting::DisplayOnlyFormatting(HWND editor) : editor_(editor) {
    modified_ = SendMessageW(editor_, EM_GETMODIFY, 0, 0) != 0;
    // The selections and formats set here are no edits: nobody is told of them.
    eventMask_ = SendMessageW(editor_, EM_GETEVENTMASK, 0, 0);
    SendMessageW(editor_, EM_SETEVENTMASK, 0, 0);
    SendMessageW(editor_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection_));
    SendMessageW(editor_, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll_));
    IRichEditOle* ole = nullptr;
    if (SendMessageW(editor_, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&ole)) &&
        ole != nullptr) {
        const UniqueComInterface<IRichEditOle> owned(ole);
        void* document = nullptr;
        if (SUCCEEDED(owned.get()->QueryInterface(kTextDocumentId, &document)))
            document_.reset(static_cast<ITextDocument*>(document));
    }
    if (document_) document_.get()->Undo(tomSuspend, nullptr);
    SendMessageW(editor_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(editor_, EM_HIDESELECTION, TRUE, 0);
}

DisplayOnlyFormatting::~DisplayOnlyFormatting() {
    SendMessageW(editor_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection_));
    SendMessageW(editor_, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll_));
    SendMessageW(editor_, EM_HIDESELECTION, FALSE, 0);
    if (document_) document_.get()->Undo(tomResume, nullptr);
    SendMessageW(editor_, EM_SETMODIFY, modified_ ? TRUE : FALSE, 0);
    SendMessageW(editor_, EM_SETEVENTMASK, 0, eventMask_);
    SendMessageW(editor_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(editor_, nullptr, FALSE);
}

void FormatForDisplay(HWND editor, LONG from, LONG to, COLORREF colour, bool autoColour,
                      bool wave) {
    CHARRANGE range{from, to};
    SendMessageW(editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR | CFM_UNDERLINETYPE;
    format.dwEffects = autoColour ? CFE_AUTOCOLOR : 0;
    format.crTextColor = colour;
    format.bUnderlineType = wave ? CFU_UNDERLINEWAVE : CFU_UNDERLINENONE;
    if (wave) {
        format.dwMask |= CFM_UNDERLINE;
        format.dwEffects |= CFE_UNDERLINE;
        // The underline's colour sits in the high nibble of the type: 6 is red.
        format.bUnderlineType = static_cast<BYTE>(CFU_UNDERLINEWAVE | 0x60);
    }
    SendMessageW(editor, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
}

void FormatLineForDisplay(HWND editor, LONG start, std::string_view line,
                          const ScriptVocabulary& words, const ScriptPalette& palette,
                          const std::vector<std::string_view>& faultyStatements) {
    FormatForDisplay(editor, start, start + Units(line, line.size()), 0, true, false);
    for (const ScriptToken& token : ClassifyLine(line, words))
        FormatForDisplay(editor, start + Units(line, token.start),
                         start + Units(line, token.start + token.length),
                         ColourOf(palette, token.kind, 0), false, false);
    for (const std::string_view statement : faultyStatements) {
        const std::size_t at = FindText(line, statement);
        const std::size_t from = at == std::string::npos ? 0 : at;
        const std::size_t to = at == std::string::npos ? line.size() : at + statement.size();
        FormatForDisplay(editor, start + Units(line, from), start + Units(line, to),
                         palette.unknown, false, true);
    }
}

ScriptColours::ScriptColours(MainWindowServices& services, const ScriptEngine& engine,
                             LineGutter& gutter)
    : services_(services),
      engine_(engine),
      gutter_(gutter),
      window_(services.Window()),
      editor_(services.Editor().Handle()) {
    EditorEvents& events = services.Editor().Events();
    events.textChanged.Subscribe([this] { OnTextChanged(); });
    events.scrolled.Subscribe([this] { OnScrolled(); });
    services.OnTimer(kScriptCheckTimer, [this] {
        KillTimer(window_, kScriptCheckTimer);
        OnCheckTimer();
    });
    services.OnTimer(kScriptIdleColourTimer, [this] { OnIdleTimer(); });
    for (const int command :
         {kCmdWhite, kCmdBlack, kCmdRed, kCmdBlue, kCmdYellow, kCmdChooseColor, kCmdChooseFont})
        WrapColourCommand(command);
    Subclass(editor_);
    // Scrolling by keys and by the wheel sends no EN_VSCROLL; the gutter sees every move.
    gutter_.SetViewObserver([this] { OnViewMoved(); });
    tip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                               WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                               nullptr, nullptr));
    if (tip_) {
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;  // accepted by comctl32 5.8 and 6
        tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
        tool.hwnd = editor_;
        tool.uId = 1;
        tool.lpszText = const_cast<wchar_t*>(L"");
        SendMessageW(tip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        SendMessageW(tip_.get(), TTM_SETMAXTIPWIDTH, 0, 480);
    }
    OnTextChanged();
}

void ScriptColours::WrapColourCommand(int commandId) {
    MenuCommands& commands = services_.Commands();
    MenuCommands::Handler inner = commands.Registered(commandId);
    if (!inner) return;
    commands.Register(commandId, [this, inner] {
        const TextColour before = SelectionColour(editor_);
        inner();
        const TextColour after = SelectionColour(editor_);
        if (after.colour != before.colour || after.automatic != before.automatic)
            userColoured_ = services_.Editor().Generation();
    });
}

bool ScriptColours::Colouring() const {
    return userColoured_ != services_.Editor().Generation();
}

void ScriptColours::OnTextChanged() {
    // The lines this edit touched (the gutter has already counted the change): they are coloured
    // again whatever they hold; the lines around them only when their text or faults changed.
    CHARRANGE selection{};
    SendMessageW(editor_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    if (services_.Editor().Generation() == generation_) {
        touchedFrom_ = std::min(touchedFrom_, gutter_.LineOfCharacter(gutter_.LastChangeFrom()));
        touchedTo_ = std::max(touchedTo_, gutter_.LineOfCharacter(selection.cpMax));
    }
    checked_ = false;
    faultSpans_.clear();
    HideTip();
    KillTimer(window_, kScriptIdleColourTimer);
    // Restarted by each change: the check waits for a pause in the typing.
    SetTimer(window_, kScriptCheckTimer, kCheckDelayMs, nullptr);
}

void ScriptColours::OnScrolled() {
    HideTip();
    OnViewMoved();
}

void ScriptColours::OnCheckTimer() {
    script_ = services_.Editor().ReadText();
    const std::uint64_t generation = services_.Editor().Generation();
    lineBytes_.clear();
    lineChars_.clear();
    lineFaults_.clear();
    faultSpans_.clear();
    if (IsRtfDocument(script_)) {
        faults_.clear();
        gutter_.SetFaultLines({});
        return;
    }
    faults_ = FaultsByLine(engine_, script_);
    // Where each page line starts, in bytes and in the control's characters (a paragraph break
    // is one character where the text has CR LF).
    LONG chars = 0;
    for (std::size_t start = 0;;) {
        lineBytes_.push_back(start);
        lineChars_.push_back(chars);
        const std::size_t feed = script_.find('\n', start);
        const std::size_t end = feed == std::string::npos ? script_.size() : feed;
        std::string_view line(script_.data() + start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        chars += Units(line, line.size()) + 1;
        if (feed == std::string::npos) break;
        start = feed + 1;
    }
    lineFaults_.resize(lineBytes_.size());
    std::vector<int> faultLines;
    for (const LineFault& fault : faults_) {
        const std::size_t index = static_cast<std::size_t>(fault.line - 1);
        if (fault.line < 1 || index >= lineBytes_.size()) continue;
        lineFaults_[index].push_back(&fault);
        faultLines.push_back(fault.line);
    }
    gutter_.SetFaultLines(std::move(faultLines));
    // The tips' places, for every fault of the page.
    for (std::size_t index = 0; index < lineFaults_.size(); ++index) {
        if (lineFaults_[index].empty()) continue;
        const std::size_t end =
            index + 1 < lineBytes_.size() ? lineBytes_[index + 1] : script_.size();
        std::string_view line(script_.data() + lineBytes_[index], end - lineBytes_[index]);
        for (const LineFault* fault : lineFaults_[index]) {
            const std::size_t at = FindText(line, fault->statement);
            const std::size_t from = at == std::string::npos ? 0 : at;
            const std::size_t to =
                at == std::string::npos ? line.size() : at + fault->statement.size();
            faultSpans_.push_back({lineChars_[index] + Units(line, from),
                                   lineChars_[index] + Units(line, to),
                                   Utf8ToWide(fault->message)});
        }
    }
    checked_ = true;

    const ScriptPalette palette = PaletteFor(services_.Colors().editorBackground);
    if (generation != generation_ || palette.command != palette_.command ||
        palette.argument != palette_.argument || palette.unknown != palette_.unknown) {
        looks_.assign(lineBytes_.size(), 0);
        generation_ = generation;
        palette_ = palette;
    }
    looks_ = CarriedLooks(looks_, lineBytes_.size(), touchedFrom_, touchedTo_);
    touchedFrom_ = std::numeric_limits<int>::max();
    touchedTo_ = 0;
    if (!Colouring()) return;
    ColourVisibleLines();
    SetTimer(window_, kScriptIdleColourTimer, kIdleTickMs, nullptr);
}

std::pair<std::size_t, std::size_t> ScriptColours::VisibleLines() const {
    const int firstRow = static_cast<int>(SendMessageW(editor_, EM_GETFIRSTVISIBLELINE, 0, 0));
    const LRESULT firstChar = SendMessageW(editor_, EM_LINEINDEX, static_cast<WPARAM>(firstRow), 0);
    RECT client{};
    GetClientRect(editor_, &client);
    POINTL bottom{client.right, client.bottom};
    const LRESULT lastChar =
        SendMessageW(editor_, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&bottom));
    const auto lineAt = [this](LRESULT position) {
        const auto after = std::upper_bound(lineChars_.begin(), lineChars_.end(),
                                            static_cast<LONG>(std::max<LRESULT>(position, 0)));
        return static_cast<std::size_t>(
            std::max<std::ptrdiff_t>(after - lineChars_.begin() - 1, 0));
    };
    return {lineAt(firstChar), lineAt(lastChar) + 1};
}

void ScriptColours::ColourVisibleLines() {
    if (!checked_ || !Colouring() || lineChars_.empty()) return;
    const auto [first, last] = VisibleLines();
    ColourLines(first, last, std::numeric_limits<std::uint64_t>::max());
}

void ScriptColours::OnIdleTimer() {
    if (!checked_ || !Colouring() || lineChars_.empty()) {
        KillTimer(window_, kScriptIdleColourTimer);
        return;
    }
    // What is on view first, whole; then the lines around it, a slice per tick.
    const auto [first, last] = VisibleLines();
    ColourLines(first, last, std::numeric_limits<std::uint64_t>::max());
    const std::size_t from = first > kLinesAroundView ? first - kLinesAroundView : 0;
    if (ColourLines(from, last + kLinesAroundView, NowUs() + kIdleSliceUs))
        KillTimer(window_, kScriptIdleColourTimer);
}

void ScriptColours::OnViewMoved() {
    // Lines coming into view are coloured at the next tick, not in the middle of a paint.
    if (checked_ && Colouring()) SetTimer(window_, kScriptIdleColourTimer, kIdleTickMs, nullptr);
}

bool ScriptColours::ColourLines(std::size_t first, std::size_t last, std::uint64_t deadlineUs) {
    last = std::min(last, lineBytes_.size());
    // Which lines need it, found before anything is touched: most often none.
    std::vector<std::pair<std::size_t, std::uint64_t>> due;
    for (std::size_t index = first; index < last; ++index) {
        const std::uint64_t look = LookOf(index);
        if (looks_[index] != look) due.emplace_back(index, look);
    }
    if (due.empty()) return true;
    const DisplayOnlyFormatting scope(editor_);
    for (const auto& [line, look] : due) {
        std::vector<std::string_view> faulty;
        for (const LineFault* fault : lineFaults_[line]) faulty.push_back(fault->statement);
        FormatLineForDisplay(editor_, lineChars_[line], LineText(line), words_, palette_, faulty);
        looks_[line] = look;
        // At least one line per slice, so that the slices always get on.
        if (NowUs() > deadlineUs) return line == due.back().first;
    }
    return true;
}

std::string_view ScriptColours::LineText(std::size_t line) const {
    const std::size_t end = line + 1 < lineBytes_.size() ? lineBytes_[line + 1] : script_.size();
    std::string_view text(script_.data() + lineBytes_[line], end - lineBytes_[line]);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

std::uint64_t ScriptColours::LookOf(std::size_t line) const {
    std::string faults;
    for (const LineFault* fault : lineFaults_[line])
        faults += fault->statement + '\n' + fault->message + '\n';
    return LineLookKey(LineText(line), faults);
}

LRESULT ScriptColours::HandleSubclassMessage(HWND editor, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    switch (message) {
        case WM_MOUSEMOVE: {
            const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            // A timer of our own rather than TME_HOVER: the rich edit tracks the mouse itself,
            // and a tracking request of its own replaces ours. A move to where the pointer
            // already was (the system sends them when windows change) keeps a tip that shows.
            if (point.x != lastPointer_.x || point.y != lastPointer_.y) {
                lastPointer_ = point;
                HideTip();
                SetTimer(editor, kTipTimer, kTipDelayMs, nullptr);
            } else if (tipText_.empty()) {
                SetTimer(editor, kTipTimer, kTipDelayMs, nullptr);
            }
            break;
        }
        case WM_TIMER:
            if (wParam == kTipTimer) {
                KillTimer(editor, kTipTimer);
                POINT cursor{};
                GetCursorPos(&cursor);
                if (WindowFromPoint(cursor) == editor) {
                    ScreenToClient(editor, &cursor);
                    OnPointerRested(cursor);
                }
                return 0;
            }
            break;
        case WM_MOUSELEAVE:
        case WM_KEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MOUSEWHEEL:
        case WM_KILLFOCUS:
            KillTimer(editor, kTipTimer);
            HideTip();
            break;
        default:
            break;
    }
    return DefaultSubclassProcedure(editor, message, wParam, lParam);
}

void ScriptColours::OnPointerRested(POINT point) {
    if (!tip_ || !checked_ || faultSpans_.empty()) return;
    POINTL at{point.x, point.y};
    LONG position =
        static_cast<LONG>(SendMessageW(editor_, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&at)));
    // The character under the pointer: the control may answer the nearer edge's character.
    POINTL character{};
    SendMessageW(editor_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&character), position);
    if (character.x > point.x && position > 0) --position;
    std::wstring text;
    for (const FaultSpan& span : faultSpans_)
        if (position >= span.from && position < span.to) {
            if (!text.empty()) text += L"\n";
            text += span.message;
        }
    if (text.empty()) return;
    tipText_ = text;
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;  // accepted by comctl32 5.8 and 6
    tool.hwnd = editor_;
    tool.uId = 1;
    tool.lpszText = tipText_.data();
    SendMessageW(tip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    POINT screen = point;
    ClientToScreen(editor_, &screen);
    SendMessageW(tip_.get(), TTM_TRACKPOSITION, 0, MAKELPARAM(screen.x + 12, screen.y + 20));
    SendMessageW(tip_.get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

void ScriptColours::HideTip() {
    if (!tip_ || tipText_.empty()) return;
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;  // accepted by comctl32 5.8 and 6
    tool.hwnd = editor_;
    tool.uId = 1;
    SendMessageW(tip_.get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
    tipText_.clear();
}

}  // namespace kavo
