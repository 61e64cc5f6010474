#include "commands/script_words.h"

#include <iterator>
#include <utility>

#include "commands/builtin_commands.h"
#include "text/encoding.h"

namespace kavo {
namespace {

using Role = BlockRole;

// The eleven words first, in the order the command table has always had them (a script's
// positions depend on it), then the later ones in the order they came. 计次循环尾 stands after
// 计次循环, whose blocks it closes; it takes no place in the engine's table.
constexpr ScriptWord kWords[] = {
    // name, arguments, block role, check, action, example arguments
    {"信息框", 2, Role::None, nullptr, DoMessageBox, "你好,我是脚本编辑器,"},
    {kWordMouse, 1, Role::None, nullptr, DoMouse, "左键"},
    {kWordDelay, 1, Role::None, nullptr, DoDelay, "100"},
    {"鼠标消息", 5, Role::None, CheckWindowArgument, DoMouseMessage, "进程:notepad.exe,100,50,1,1"},
    {"按键消息", 3, Role::None, CheckWindowArgument, DoKeyMessage, "进程:notepad.exe>类:Edit,65,1"},
    {kWordMouseMove, 2, Role::None, nullptr, DoMouseMove, "800,100"},
    {"气球提示框", 1, Role::None, nullptr, DoBalloonTip, "脚本运行完毕"},
    {"计次循环", 2, Role::Opens, nullptr, DoCountedLoop, "2,1"},
    {"计次循环尾", 1, Role::Closes, nullptr, nullptr, "1"},
    {kWordTypeKeys, 2, Role::None, nullptr, DoTypeKeys, "fhjshfkj,50"},
    {"运行", 1, Role::None, nullptr, DoRun, "notepad.exe"},
    {kWordSpecialKey, 1, Role::None, nullptr, DoSpecialKey, "20"},
    // The words recording writes.
    {kWordPlaceCursor, 2, Role::None, nullptr, DoPlaceCursor, "800,100"},
    {kWordHoldKey, 1, Role::None, nullptr, DoHoldKey, "17"},
    {kWordReleaseKey, 1, Role::None, nullptr, DoReleaseKey, "17"},
    // A pause of a random length, waiting for a window to show, and bringing one to the front.
    {"随机延时", 2, Role::None, nullptr, DoRandomDelay, "100,500"},
    {"等待窗口", 2, Role::None, CheckAwaitedWindowArgument, DoAwaitWindow, "进程:notepad.exe,5000"},
    {"激活窗口", 1, Role::None, CheckWindowArgument, DoActivateWindow, "进程:notepad.exe"},
};

// 左键 and 右键 click, as they always have; the others came with recording (the middle button, a
// drag's press and release, the wheel). Any other word does nothing, as before.
constexpr MouseWord kMouseWords[] = {
    {"左键", MouseWord::Act::Click, MouseButton::Left, 0},
    {"右键", MouseWord::Act::Click, MouseButton::Right, 0},
    {"中键", MouseWord::Act::Click, MouseButton::Middle, 0},
    {"左键按下", MouseWord::Act::Press, MouseButton::Left, 0},
    {"左键弹起", MouseWord::Act::Release, MouseButton::Left, 0},
    {"右键按下", MouseWord::Act::Press, MouseButton::Right, 0},
    {"右键弹起", MouseWord::Act::Release, MouseButton::Right, 0},
    {"中键按下", MouseWord::Act::Press, MouseButton::Middle, 0},
    {"中键弹起", MouseWord::Act::Release, MouseButton::Middle, 0},
    {"滚轮上", MouseWord::Act::Wheel, MouseButton::Middle, 1},
    {"滚轮下", MouseWord::Act::Wheel, MouseButton::Middle, -1},
};

}  // namespace

std::span<const ScriptWord> ScriptWords() {
    return kWords;
}

std::span<const ScriptWord> FirstElevenWords() {
    std::size_t rows = 0;
    for (int entered = 0; rows < std::size(kWords) && entered < 11; ++rows)
        if (kWords[rows].block != BlockRole::Closes) ++entered;
    return ScriptWords().first(rows);
}

const ScriptWord* FindScriptWord(std::string_view name) {
    for (const ScriptWord& word : kWords)
        if (word.name == name) return &word;
    return nullptr;
}

void AddScriptWords(ScriptEngine& engine, std::span<const ScriptWord> rows,
                    const HandlerFor& handlerFor) {
    for (std::size_t index = 0; index < rows.size(); ++index) {
        const ScriptWord& word = rows[index];
        if (word.block == BlockRole::Closes) continue;
        CommandEntry entry;
        entry.name = Utf8ToGbk(word.name);
        entry.handler = handlerFor(word);
        entry.argumentCount = word.argumentCount;
        entry.isLoop = word.block == BlockRole::Opens;
        if (word.check != nullptr) entry.check = word.check;
        if (entry.isLoop && index + 1 < rows.size() && rows[index + 1].block == BlockRole::Closes)
            entry.blockEnd = Utf8ToGbk(rows[index + 1].name);
        engine.AddEntry(std::move(entry));
    }
}

void AddScriptWordsDoingNothing(ScriptEngine& engine) {
    AddScriptWords(engine, ScriptWords(), [](const ScriptWord&) -> CommandHandler {
        return [](const std::vector<RuntimeText>&) { return std::int32_t{0}; };
    });
}

std::span<const MouseWord> MouseWords() {
    return kMouseWords;
}

std::string_view MouseWordFor(MouseWord::Act act, MouseButton button, int notches) {
    for (const MouseWord& word : kMouseWords) {
        if (word.act != act) continue;
        if (act == MouseWord::Act::Wheel ? (word.notches > 0) == (notches > 0)
                                         : word.button == button)
            return word.name;
    }
    return {};
}

std::string Statement(std::string_view name, std::string_view arguments) {
    std::string statement(name);
    statement += '(';
    statement += arguments;
    statement += ')';
    return statement;
}

std::string HelpForm(const ScriptWord& word) {
    return Statement(word.name, word.example);
}

}  // namespace kavo
