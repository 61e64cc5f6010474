#include "editor/script_colours_win32.h"

#include <richole.h>
#include <tom.h>

#include <algorithm>

#include "editor/rtf_text.h"
#include "engine/script_engine.h"
#include "engine/statement_scan.h"
#include "library/editor_widget_win32.h"
#include "text/wide.h"

namespace kavo {

namespace {

// How long typing must pause before the script is checked again.
constexpr UINT kCheckDelayMs = 300;

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

}  // namespace

DisplayOnlyFormatting::DisplayOnlyFormatting(HWND editor) : editor_(editor) {
    modified_ = SendMessageW(editor_, EM_GETMODIFY, 0, 0) != 0;
    SendMessageW(editor_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection_));
    SendMessageW(editor_, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll_));
    IRichEditOle* ole = nullptr;
    if (SendMessageW(editor_, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&ole)) &&
        ole != nullptr) {
        void* document = nullptr;
        if (SUCCEEDED(ole->QueryInterface(kTextDocumentId, &document)))
            document_ = static_cast<ITextDocument*>(document);
        ole->Release();
    }
    if (document_ != nullptr) document_->Undo(tomSuspend, nullptr);
    SendMessageW(editor_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(editor_, EM_HIDESELECTION, TRUE, 0);
}

DisplayOnlyFormatting::~DisplayOnlyFormatting() {
    SendMessageW(editor_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection_));
    SendMessageW(editor_, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll_));
    SendMessageW(editor_, EM_HIDESELECTION, FALSE, 0);
    if (document_ != nullptr) {
        document_->Undo(tomResume, nullptr);
        document_->Release();
    }
    SendMessageW(editor_, EM_SETMODIFY, modified_ ? TRUE : FALSE, 0);
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

ScriptColours::ScriptColours(MainWindowServices& services, const ScriptEngine& engine)
    : services_(services),
      engine_(engine),
      window_(services.Window()),
      editor_(services.Editor().Handle()),
      words_(engine) {
    const LRESULT mask = SendMessageW(editor_, EM_GETEVENTMASK, 0, 0);
    SendMessageW(editor_, EM_SETEVENTMASK, 0, mask | ENM_CHANGE | ENM_SCROLL);
    services.AddMessageHandler(WM_COMMAND,
                               [this](WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
                                   if (reinterpret_cast<HWND>(lParam) != editor_)
                                       return std::nullopt;
                                   if (HIWORD(wParam) == EN_CHANGE) OnTextChanged();
                                   if (HIWORD(wParam) == EN_VSCROLL) OnTextChanged();
                                   return std::nullopt;
                               });
    services.AddMessageHandler(WM_TIMER, [this](WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        if (wParam != kScriptCheckTimer) return std::nullopt;
        KillTimer(window_, kScriptCheckTimer);
        OnCheckTimer();
        return 0;
    });
    OnTextChanged();
}

void ScriptColours::OnTextChanged() {
    if (formatting_) return;
    // Restarted by each change: the check waits for a pause in the typing.
    SetTimer(window_, kScriptCheckTimer, kCheckDelayMs, nullptr);
}

void ScriptColours::OnCheckTimer() {
    const RuntimeText script = services_.Editor().ReadText();
    if (IsRtfDocument(script)) return;
    faults_ = FaultsByLine(engine_, script);
    // The characters on view; lines here are the control's wrapped lines.
    const int firstLine = static_cast<int>(SendMessageW(editor_, EM_GETFIRSTVISIBLELINE, 0, 0));
    const LRESULT firstChar =
        SendMessageW(editor_, EM_LINEINDEX, static_cast<WPARAM>(firstLine), 0);
    RECT client{};
    GetClientRect(editor_, &client);
    POINTL bottom{client.right, client.bottom};
    const LRESULT lastChar =
        SendMessageW(editor_, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&bottom));
    ColourParagraphs(script, static_cast<LONG>(std::max<LRESULT>(firstChar, 0)),
                     static_cast<LONG>(lastChar));
}

void ScriptColours::ColourParagraphs(std::string_view script, LONG fromChar, LONG toChar) {
    formatting_ = true;
    {
        DisplayOnlyFormatting scope(editor_);
        const ScriptPalette palette = PaletteFor(services_.Colors().editorBackground);
        // The control keeps a paragraph break as one character where the text has CR LF.
        LONG paragraphStart = 0;
        int lineNumber = 0;
        std::size_t lineStart = 0;
        auto nextFault = faults_.begin();
        while (lineStart <= script.size() && paragraphStart <= toChar) {
            ++lineNumber;
            const std::size_t feed = script.find('\n', lineStart);
            const std::size_t lineEnd = feed == std::string_view::npos ? script.size() : feed;
            std::string_view text = script.substr(lineStart, lineEnd - lineStart);
            if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
            const LONG units = Units(text, text.size());
            while (nextFault != faults_.end() && nextFault->line < lineNumber) ++nextFault;
            if (paragraphStart + units >= fromChar) {
                FormatForDisplay(editor_, paragraphStart, paragraphStart + units, 0, true, false);
                for (const ScriptToken& token : ClassifyLine(text, words_))
                    FormatForDisplay(editor_, paragraphStart + Units(text, token.start),
                                     paragraphStart + Units(text, token.start + token.length),
                                     ColourOf(palette, token.kind, 0), false, false);
                for (auto fault = nextFault; fault != faults_.end() && fault->line == lineNumber;
                     ++fault) {
                    const std::size_t at = FindText(text, fault->statement);
                    const std::size_t from = at == std::string::npos ? 0 : at;
                    const std::size_t to =
                        at == std::string::npos ? text.size() : at + fault->statement.size();
                    FormatForDisplay(editor_, paragraphStart + Units(text, from),
                                     paragraphStart + Units(text, to), palette.unknown, false,
                                     true);
                }
            }
            paragraphStart += units + 1;
            if (feed == std::string_view::npos) break;
            lineStart = feed + 1;
        }
    }
    formatting_ = false;
}

}  // namespace kavo
