#include "recording/recorder_win32.h"

#include <richedit.h>

#include <new>
#include <string>
#include <utility>

#include "commands/run_texts.h"
#include "editor/editor_widget_win32.h"
#include "hotkeys/stop_key.h"
#include "library/library_operations.h"
#include "platform/win32/win32_platform.h"
#include "recording/recording_options_window_win32.h"
#include "shell/command_ids.h"
#include "text/encoding.h"
#include "text/wide.h"

namespace kavo {
namespace {

constexpr const char* kRecordingTitle = "录制脚本";

int LineCount(const RuntimeText& text) {
    int lines = 0;
    for (char c : text)
        if (c == '\n') ++lines;
    if (!text.empty() && text.back() != '\n') ++lines;
    return lines;
}

}  // namespace

Recorder::Recorder(MainWindowServices& services, RunControl& control)
    : services_(services), control_(control), keyboard_(control.Keyboard()), session_(kStopKey) {
    settings_ = ReadRecordingSettings(services_.Platform());
    recordKey_ = settings_.recordKey;
    services_.OnAppMessage(kRecordingStartMessage, [this](WPARAM, LPARAM) -> LRESULT {
        OnStartRequested();
        return 0;
    });
    services_.OnAppMessage(kRecordingEndMessage, [this](WPARAM, LPARAM) -> LRESULT {
        OnEndRequested();
        return 0;
    });
    // A recording that holds all it may (or finds memory short) ends as if its end key had been
    // pressed, and the user is told why.
    session_.WhenFull([this] {
        if (!endPosted_.exchange(true)) services_.Post(kRecordingEndMessage);
    });
    services_.Events().trayClicked.Subscribe(
        [this](TrayClick click) { return OnTrayClicked(click); });
    services_.Commands().Register(kCmdRecord, [this] { OnStartRequested(); });
    services_.Commands().Register(kCmdRecordOptions, [this] { OpenOptions(); });
    // A recording that goes on while the program closes ends without a word: its hook goes
    // with it.
    services_.Events().closing.Subscribe([this] {
        session_.StopTaking();
        mouseHook_.Remove();
    });
    // Every key the watch hears goes to the session, which keeps it only while it takes.
    keyboard_.SetListener([this](const KeyEvent& event) {
        if (!event.down && !event.ours && event.key == recordKey_.load()) recordKeyHeld_ = false;
        session_.HearKey(event);
    });
    InstallKeys();
    ShowMenuText();
}

Recorder::~Recorder() {
    KeyboardWatch& watch = keyboard_;
    watch.SetListener({});
    watch.SetKeyAction(recordKey_.load(), {});
    watch.SetKeyAction(kStopKey, {});
    mouseHook_.Remove();
}

void Recorder::InstallKeys() {
    // The record key is the program's: no run hotkey may take it.
    control_.Keys().Assign(ProgramKey::Record, recordKey_.load(),
                           RecordKeyBindingRefusal(recordKey_.load()));
    KeyboardWatch& watch = keyboard_;
    // The record key starts a recording, and ends it; held down, its repeats do nothing.
    watch.SetKeyAction(recordKey_.load(), [this] {
        if (recordKeyHeld_.exchange(true)) return true;
        if (session_.StopTaking()) {
            if (!endPosted_.exchange(true)) services_.Post(kRecordingEndMessage);
        } else if (!startPosted_.exchange(true)) {
            services_.Post(kRecordingStartMessage);
        }
        return true;
    });
    // The stop key ends a recording too; otherwise it goes on to do what it always does.
    watch.SetKeyAction(kStopKey, [this] {
        if (!session_.StopTaking()) return false;
        if (!endPosted_.exchange(true)) services_.Post(kRecordingEndMessage);
        return true;
    });
}

void Recorder::ShowMenuText() {
    const std::wstring text = L"录制脚本\t" + Utf8ToWide(RecordKeyName(recordKey_.load()));
    ModifyMenuW(services_.Menu(MainMenu::Edit), kCmdRecord, MF_BYCOMMAND | MF_STRING, kCmdRecord,
                text.c_str());
}

void Recorder::Refuse(const Utf8Text& text) {
    HWND window = services_.Window();
    if (IsWindowVisible(window) && !IsIconic(window)) {
        ShowMessageBoxOver(window, text, kRecordingTitle, MessageBoxOption::Information);
    } else {
        services_.ShowTrayBalloon(kRecordingTitle, text);
    }
}

Utf8Text Recorder::RunRefusal() const {
    if (!recording_) return {};
    return "正在录制，录制结束后才能运行脚本（按 " + RecordKeyName(recordKey_.load()) +
           " 或 F12 结束录制）。";
}

void Recorder::OnStartRequested() {
    startPosted_ = false;
    if (recording_) return;
    HWND window = services_.Window();
    if (control_.ActiveRuns() > 0) {
        Refuse("脚本正在运行，不能开始录制。请先按 F12 停止脚本。");
        return;
    }
    // A question or a small window is open: the recording would begin under it.
    if (!IsWindowEnabled(window)) {
        Refuse("请先关闭打开的窗口，再开始录制。");
        return;
    }
    settings_ = ReadRecordingSettings(services_.Platform());
    if (settings_.options.keyboard && !keyboard_.HookInstalled()) {
        Refuse("系统拒绝了键盘钩子，现在不能录制键盘。可以在“录制选项”里不录制键盘。");
        return;
    }
    endPosted_ = false;
    session_.Begin(settings_, GetTickCount());
    if (settings_.options.mouse &&
        !mouseHook_.Install([this](const RecordedEvent& event) { session_.HearMouse(event); })) {
        session_.Finish();
        Refuse("系统拒绝了鼠标钩子，现在不能录制鼠标。可以在“录制选项”里不录制鼠标。");
        return;
    }
    recording_ = true;
    services_.HideToTray();
    const Utf8Text key = RecordKeyName(settings_.recordKey);
    services_.SetTrayTip("KAVO脚本助手 - 正在录制，按 " + key + " 结束");
    services_.ShowTrayBalloon("开始录制", "按 " + key + " 或 F12 结束录制。");
}

bool Recorder::OnTrayClicked(TrayClick click) {
    if (!recording_ || click == TrayClick::Other) return false;
    // A click on the icon ends the recording, and that click is no part of it. When the end key
    // ended it first, the click came after and was never kept.
    if (session_.StopTaking()) {
        session_.DropLastClick();
        if (!endPosted_.exchange(true)) services_.Post(kRecordingEndMessage);
    }
    return true;
}

void Recorder::OnEndRequested() {
    if (!recording_) return;
    session_.StopTaking();
    mouseHook_.Remove();
    const bool full = session_.EndedFull();
    RuntimeText statements;
    bool written = true;
    try {
        statements = session_.Finish();
    } catch (const std::bad_alloc&) {
        written = false;
    }
    recording_ = false;
    services_.RestoreWindow();
    services_.SetTrayTip(IdleTip());
    if (!written) {
        Tell("录制已停止，但内存不足，录到的操作没能写成脚本。请关闭一些程序后再录制。");
        return;
    }
    const Utf8Text why = full ? "录制已自动停止：录下的操作太多，占用的内存已到上限。" : "";
    if (statements.empty()) {
        if (full) {
            Tell(why + "没有录到可写成脚本的操作。");
        } else {
            services_.ShowTrayBalloon("录制结束", "没有录到任何操作。");
        }
        return;
    }
    const bool toPage = PrepareForInsertedText(services_.TheLibrary());
    InsertRecording(statements);
    const Utf8Text lines = std::to_string(LineCount(statements));
    Utf8Text text = full ? why + "停止前录到的 " + lines + " 行脚本已插入编辑框。"
                         : "录到 " + lines + " 行脚本，已插入编辑框。";
    if (!toPage) text += "这些脚本还不属于任何页面，按“保存”可以存为新页面。";
    if (full) {
        Tell(text);
    } else {
        services_.ShowTrayBalloon("录制结束", text);
    }
}

void Recorder::Tell(const Utf8Text& text) {
    MessageBoxW(services_.Window(), Utf8ToWide(text).c_str(), Utf8ToWide(kRecordingTitle).c_str(),
                MB_OK | MB_ICONWARNING);
}

void Recorder::InsertRecording(const RuntimeText& statements) {
    HWND editor = services_.Editor().Handle();
    CHARRANGE selection{};
    SendMessageW(editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const LRESULT line = SendMessageW(editor, EM_EXLINEFROMCHAR, 0, selection.cpMin);
    const LRESULT lineStart = SendMessageW(editor, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
    std::wstring text = GbkToWide(statements);
    // The statements begin on a line of their own.
    if (lineStart != selection.cpMin) text.insert(0, L"\r\n");
    // One step of the editor's undo.
    SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(editor, EM_SCROLLCARET, 0, 0);
    SetFocus(editor);
}

void Recorder::OpenOptions() {
    if (recording_) return;
    const std::optional<RecordingSettings> chosen =
        RecordingOptionsWindow::Ask(services_.Window(), ReadRecordingSettings(services_.Platform()),
                                    [this](KeyCode key) { return control_.IsBoundHotkey(key); });
    if (!chosen) return;
    if (!WriteRecordingSettings(services_.Platform(), *chosen)) {
        ShowMessageBoxOver(services_.Window(), "录制选项没有保存：无法写入 record.ini。",
                           "录制选项", MessageBoxOption::Error);
        return;
    }
    KeyboardWatch& watch = keyboard_;
    watch.SetKeyAction(recordKey_.load(), {});
    settings_ = *chosen;
    recordKey_ = settings_.recordKey;
    recordKeyHeld_ = false;
    InstallKeys();
    ShowMenuText();
}

}  // namespace kavo
