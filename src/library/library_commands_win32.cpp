#include "library/library_commands_win32.h"

#include <memory>
#include <string>

#include "editor/editor_widget_win32.h"
#include "library/library_operations.h"
#include "library/recovery.h"
#include "platform/win32/win32_platform.h"
#include "shell/command_ids.h"
#include "text/wide.h"
#include "ui/small_windows_win32.h"
#include "ui/window_text_win32.h"

namespace kavo {
namespace {

constexpr const char* kMessageCaption = "KAVO脚本助手";

// The questions as the small windows ask them, over the main window.
class Win32LibraryUserInterface : public LibraryUserInterface {
  public:
    Win32LibraryUserInterface(HWND owner, HWND editor) : owner_(owner), editor_(editor) {}

    std::optional<Utf8Text> AskText(const Utf8Text& title, const Utf8Text& prompt) override {
        TextAnswer answer = kavo::AskText(owner_, title, prompt);
        if (answer.cancelled) return std::nullopt;
        return std::move(answer.text);
    }
    bool AskConfirm(const Utf8Text& message) override { return kavo::AskConfirm(owner_, message); }
    bool AskConfirmDefaultCancel(const Utf8Text& message) override {
        return kavo::AskConfirm(owner_, message, ConfirmDefault::Cancel);
    }
    void ShowMessage(const Utf8Text& message) override {
        ShowMessageBoxOver(owner_, message, kMessageCaption, MessageBoxOption::Warning);
    }
    bool EditorTextFitsGbk() override { return WindowTextFitsGbk(editor_); }

  private:
    HWND owner_;
    HWND editor_;
};

}  // namespace

std::unique_ptr<LibraryUserInterface> MakeLibraryQuestions(HWND owner, HWND editor) {
    return std::make_unique<Win32LibraryUserInterface>(owner, editor);
}

bool WindowTextFitsGbk(HWND window) {
    const std::wstring text = ReadWholeText(window);
    // A character survives the trip through GBK only when GBK has it.
    return GbkToWide(WideToGbk(text)) == text;
}

LibraryCommands::LibraryCommands(MainWindowServices& services)
    : questions_(MakeLibraryQuestions(services.Window(), services.Editor().Handle())) {
    Library& library = services.TheLibrary();
    LibraryUserInterface& ui = *questions_;
    MenuCommands& commands = services.Commands();

    commands.Register(kCmdNewPage, [&library, &ui] { NewPage(library, ui); });
    commands.Register(kCmdNewDirectory, [&library, &ui] { NewDirectory(library, ui); });
    commands.Register(kCmdDeletePage, [&library, &ui] { DeletePage(library, ui); });
    commands.Register(kCmdDeleteDirectory, [&library, &ui] { DeleteDirectory(library, ui); });
    commands.Register(kCmdRenamePage, [&library, &ui] { RenamePage(library, ui); });
    commands.Register(kCmdRenameDirectory, [&library, &ui] { RenameDirectory(library, ui); });
    commands.Register(kCmdSave, [&library, &ui] {
        SavePage(library, ui);
        KeepRecovery(library);
    });
    commands.Register(kCmdGlobalSearch, [this, &services] {
        globalSearch_.Show(services.Window(), services.Editor().Handle(), services.TheLibrary(),
                           services.Platform());
    });
    HMENU editMenu = services.Menu(MainMenu::Edit);
    commands.Register(kCmdAutoSave, [&library, editMenu] {
        library.autoSave = !library.autoSave;
        CheckMenuItem(editMenu, kCmdAutoSave,
                      MF_BYCOMMAND | (library.autoSave ? MF_CHECKED : MF_UNCHECKED));
    });

    library.leavePageCheck = [&ui](Library& lib) { return LeavePageCheck(lib, ui); };
    library.tell = [&ui](const Utf8Text& message) { ui.ShowMessage(message); };
    // Closing asks about unsaved changes. Edits the user wanted saved that could not be (or
    // whose save was answered 取消) keep the window open; otherwise they were saved or dropped,
    // and the recovery file goes with them.
    services.Events().closingRequested.Subscribe([&library, &ui] {
        if (!ClosePageCheck(library, ui)) {
            KeepRecovery(library);
            return true;
        }
        DiscardRecovery(library);
        return false;
    });

    // Back at the window, the loaded page is compared with its file, as editors do. Asked after
    // the activation has settled: a question box in the middle of it would take the activation
    // away again.
    services.Events().activated.Subscribe([&services] { services.Post(kCheckPageOnDiskMessage); });
    services.OnAppMessage(kCheckPageOnDiskMessage, [&library, &ui](WPARAM, LPARAM) -> LRESULT {
        CheckPageOnDisk(library, ui);
        return 0;
    });
    InstallSessionEnd(services, library, ui);
    InstallRecovery(services, library, ui);
}

void LibraryCommands::InstallSessionEnd(MainWindowServices& services, Library& library,
                                        LibraryUserInterface& ui) {
    // Logging off or shutting down with unsaved edits: 自动保存 saves them; otherwise the end is
    // held with a reason the system shows, and the unsaved-changes question comes once the
    // system has its answer (no window may ask while it waits).
    HWND window = services.Window();
    services.Events().sessionEndQueried.Subscribe([this, window, &services, &library, &ui] {
        if (SessionMayEnd(library, ui)) return false;
        // Should the system end the session all the same, the edits are in the recovery file.
        KeepRecovery(library);
        if (!holdingSessionEnd_)
            holdingSessionEnd_ =
                ShutdownBlockReasonCreate(window, L"KAVO脚本助手中有未保存的脚本修改。") != FALSE;
        services.Post(kAskBeforeSessionEndMessage);
        return true;
    });
    const auto release = [this, window] {
        if (holdingSessionEnd_) ShutdownBlockReasonDestroy(window);
        holdingSessionEnd_ = false;
    };
    services.OnAppMessage(kAskBeforeSessionEndMessage,
                          [&library, &ui, release](WPARAM, LPARAM) -> LRESULT {
                              AskAfterSessionEndHeld(library, ui);
                              KeepRecovery(library);
                              release();
                              return 0;
                          });
    services.Events().sessionEnded.Subscribe([release, &library](bool ending) {
        release();
        if (ending) KeepRecovery(library);
    });
}

void LibraryCommands::InstallRecovery(MainWindowServices& services, Library& library,
                                      LibraryUserInterface& ui) {
    // A few seconds after typing pauses the unsaved text goes to the recovery file (each change
    // starts the wait again).
    constexpr UINT kRecoveryDelayMs = 3000;
    HWND window = services.Window();
    services.Editor().Events().textChanged.Subscribe(
        [window] { SetTimer(window, kRecoveryTimer, kRecoveryDelayMs, nullptr); });
    services.OnTimer(kRecoveryTimer, [window, &library] {
        KillTimer(window, kRecoveryTimer);
        KeepRecovery(library);
    });
    // What a run that did not end normally left is offered once the window shows.
    services.OnAppMessage(kOfferRecoveryMessage, [&library, &ui](WPARAM, LPARAM) -> LRESULT {
        if (const std::optional<RecoveredEdits> edits = ReadRecovery(library)) {
            if (ui.AskConfirm(RecoveryQuestion(library, *edits)))
                RestoreRecovery(library, *edits);
            else
                DiscardRecovery(library);
        }
        return 0;
    });
    services.Post(kOfferRecoveryMessage);
}

LibraryCommands::~LibraryCommands() = default;

}  // namespace kavo
