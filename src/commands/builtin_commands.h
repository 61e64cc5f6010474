// The commands of the script language, entered into the engine at start-up.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "commands/run_input.h"
#include "engine/script_engine.h"
#include "platform/platform.h"

namespace kavo {

struct CommandServices {
    InputPort& input;
    WaitPort& wait;
    SystemPort& system;
    // Shows a balloon tip with the text at a screen point and returns at once; callable from
    // any thread (the window that owns the tip lives on the user-interface thread).
    std::function<void(Point where, const Utf8Text& text)> showBalloonTip;
    // The process name bound with 热键执行, which the window description 目标 stands for (empty:
    // none); callable from any thread.
    std::function<Utf8Text()> boundProcessName;
    // Shows a balloon at the notification-area icon (title, text); any thread, returns at once.
    // Empty: none.
    std::function<void(const Utf8Text& title, const Utf8Text& text)> showNotice;
};

// What a run says, once, when it sends input or messages to a window of a program that runs as
// administrator while this program does not (the system drops them without a word).
Utf8Text ElevatedWindowText();

// What every word's action works with: the services, and the input layer every action goes
// through (it keeps the record of what a run holds and lets nothing new out of a stopped run).
struct WordContext {
    explicit WordContext(const CommandServices& commandServices);
    WordContext(const WordContext&) = delete;
    WordContext& operator=(const WordContext&) = delete;

    const CommandServices& services;
    RunInput input;
};

// The words' actions (ScriptWords() names the word of each), each given exactly its word's
// argument count of texts.
std::int32_t DoMessageBox(WordContext& context, const std::vector<RuntimeText>& arguments);
std::int32_t DoMouse(WordContext& context, const std::vector<RuntimeText>& arguments);
std::int32_t DoDelay(WordContext& context, const std::vector<RuntimeText>& arguments);
std::int32_t DoMouseMessage(WordContext& context, const std::vector<RuntimeText>& arguments);
std::int32_t DoKeyMessage(WordContext& context, const std::vector<RuntimeText>& arguments);
std::int32_t DoMouseMove(WordContext& context, const std::vector<RuntimeText>& arguments);
std::int32_t DoBalloonTip(WordContext& context, const std::vector<RuntimeText>& arguments);
std::int32_t DoCountedLoop(WordContext& context, const std::vector<RuntimeText>& arguments);
std::int32_t DoTypeKeys(WordContext& context, const std::vector<RuntimeText>& arguments);
std::int32_t DoRun(WordContext& context, const std::vector<RuntimeText>& arguments);
std::int32_t DoSpecialKey(WordContext& context, const std::vector<RuntimeText>& arguments);
std::int32_t DoPlaceCursor(WordContext& context, const std::vector<RuntimeText>& arguments);
std::int32_t DoHoldKey(WordContext& context, const std::vector<RuntimeText>& arguments);
std::int32_t DoReleaseKey(WordContext& context, const std::vector<RuntimeText>& arguments);
std::int32_t DoRandomDelay(WordContext& context, const std::vector<RuntimeText>& arguments);
std::int32_t DoAwaitWindow(WordContext& context, const std::vector<RuntimeText>& arguments);
std::int32_t DoActivateWindow(WordContext& context, const std::vector<RuntimeText>& arguments);

// The script's checks of a window argument (the first): a description must be sound; 等待窗口
// also wants a description, not a handle.
std::optional<std::string> CheckWindowArgument(const std::vector<RuntimeText>& arguments);
std::optional<std::string> CheckAwaitedWindowArgument(const std::vector<RuntimeText>& arguments);

// Enters every word of ScriptWords() into the engine with its action: 信息框, 鼠标, 延时,
// 鼠标消息, 按键消息, 鼠标移动, 气球提示框, 计次循环, 按键, 运行, 特殊按键, in this order, then
// the words recording writes: 鼠标定位(x,y) (the cursor there at once), 按住(键代码) and
// 松开(键代码) (a key down or up alone), then 随机延时(最小,最大) (a pause of a random whole
// number of milliseconds between the two) and 等待窗口(窗口描述,最长毫秒) (until a window the
// description names is there; 0: no limit but the stop key; when the time runs out the run
// stops and says so) and 激活窗口(窗口) (brings the window to the front with the keyboard; when
// it cannot, the run stops and says so). services must outlive the engine's use of the
// commands.
//
// The window argument of 鼠标消息 and 按键消息 is a handle in decimal (0: the desktop) or a
// window description (hotkeys/window_description.h), looked up each time the statement runs.
// A description that is not sound is refused by the script's check; one that names no window
// posts nothing and stops the run, which then tells why.
void AddBuiltinCommands(ScriptEngine& engine, const CommandServices& services);

}  // namespace kavo
