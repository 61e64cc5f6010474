#include "platform/fake/recording_platform.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/temporary_file.h"
#include "text/runtime_text.h"

namespace kavo {
namespace {

std::string Hex(std::uint32_t value, int width) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%0*X", width, value);
    return buffer;
}

// A US keyboard's answers for the keys tests use.
std::uint32_t UsKeyboardScanCode(std::uint32_t code) {
    static const std::map<std::uint32_t, std::uint32_t> scans = {
        {'A', 30}, {'B', 48}, {0x14, 58}, {0x70, 59}, {0x20, 57}, {0x0D, 28}, {'1', 2}};
    const auto found = scans.find(code);
    return found == scans.end() ? 0 : found->second;
}
std::uint32_t UsKeyboardCharacter(std::uint32_t code) {
    const bool letter = code >= 'A' && code <= 'Z';
    const bool digit = code >= '0' && code <= '9';
    return letter || digit || code == 0x20 ? code : 0;
}

// The names of the flags in the set, joined by "+"; `none` for an empty set.
template <typename Flag, std::size_t Count>
std::string FlagNames(FlagSet<Flag> flags, const std::pair<Flag, const char*> (&names)[Count],
                      const char* none) {
    std::string text;
    for (const auto& [flag, name] : names)
        if (flags.Has(flag)) text += (text.empty() ? "" : "+") + std::string(name);
    return text.empty() ? none : text;
}

constexpr std::pair<MouseButtonChange, const char*> kChangeNames[] = {
    {MouseButtonChange::LeftDown, "LeftDown"},     {MouseButtonChange::LeftUp, "LeftUp"},
    {MouseButtonChange::RightDown, "RightDown"},   {MouseButtonChange::RightUp, "RightUp"},
    {MouseButtonChange::MiddleDown, "MiddleDown"}, {MouseButtonChange::MiddleUp, "MiddleUp"},
};
constexpr std::pair<MouseButton, const char*> kButtonNames[] = {
    {MouseButton::Left, "Left"}, {MouseButton::Right, "Right"}, {MouseButton::Middle, "Middle"}};
constexpr std::pair<WindowField, const char*> kFieldNames[] = {{WindowField::Visible, "Visible"},
                                                               {WindowField::Process, "Process"},
                                                               {WindowField::Class, "Class"},
                                                               {WindowField::Title, "Title"}};
constexpr std::pair<MessageBoxOption, const char*> kOptionNames[] = {
    {MessageBoxOption::TaskModal, "TaskModal"},
    {MessageBoxOption::Warning, "Warning"},
    {MessageBoxOption::Information, "Information"},
    {MessageBoxOption::Error, "Error"}};

const char* MessageName(WindowMessage message) {
    switch (message) {
        case WindowMessage::MouseMove:
            return "MouseMove";
        case WindowMessage::LeftButtonDown:
            return "LeftButtonDown";
        case WindowMessage::LeftButtonUp:
            return "LeftButtonUp";
        case WindowMessage::LeftButtonDoubleClick:
            return "LeftButtonDoubleClick";
        case WindowMessage::RightButtonDown:
            return "RightButtonDown";
        case WindowMessage::RightButtonUp:
            return "RightButtonUp";
        case WindowMessage::RightButtonDoubleClick:
            return "RightButtonDoubleClick";
        case WindowMessage::MiddleButtonDown:
            return "MiddleButtonDown";
        case WindowMessage::MiddleButtonUp:
            return "MiddleButtonUp";
        case WindowMessage::MiddleButtonDoubleClick:
            return "MiddleButtonDoubleClick";
        case WindowMessage::MouseWheel:
            return "MouseWheel";
        case WindowMessage::ContextMenu:
            return "ContextMenu";
        case WindowMessage::KeyDown:
            return "KeyDown";
        case WindowMessage::KeyUp:
            return "KeyUp";
        case WindowMessage::Character:
            return "Character";
    }
    return "?";
}

const char* Direction(KeyDirection direction) {
    return direction == KeyDirection::Up ? "Up" : "Down";
}

Utf8Text Parent(const Utf8Text& key) {
    const auto slash = key.find_last_of('\\');
    return slash == Utf8Text::npos ? Utf8Text() : key.substr(0, slash);
}

Utf8Text BaseName(const Utf8Text& path) {
    const auto slash = path.find_last_of('\\');
    return slash == Utf8Text::npos ? path : path.substr(slash + 1);
}

}  // namespace

RecordingPlatform::RecordingPlatform()
    : scanCodeOfKey(UsKeyboardScanCode), characterOfKey(UsKeyboardCharacter) {}

std::vector<std::string> RecordingPlatform::CallsStartingWith(
    std::initializer_list<std::string> prefixes) const {
    std::vector<std::string> result;
    for (const auto& call : calls)
        for (const auto& prefix : prefixes)
            if (call.rfind(prefix, 0) == 0) {
                result.push_back(call);
                break;
            }
    return result;
}

// --- InputPort ---
Point RecordingPlatform::GetCursorPos() {
    Record("GetCursorPos");
    return cursor;
}
void RecordingPlatform::SetCursorPos(int x, int y) {
    Record("SetCursorPos(" + std::to_string(x) + "," + std::to_string(y) + ")");
    if (!refuseCursorPlacement) cursor = {x, y};
}
void RecordingPlatform::MouseEvent(MouseButtonChanges changes, int x, int y) {
    Record("MouseEvent(" + FlagNames(changes, kChangeNames, "none") + "," + std::to_string(x) +
           "," + std::to_string(y) + ")");
}
void RecordingPlatform::MouseWheel(int turn) {
    Record("MouseWheel(" + std::to_string(turn) + ")");
}
void RecordingPlatform::KeybdEvent(KeyCode code, KeyDirection direction) {
    Record("KeybdEvent(" + Hex(code, 2) + "," + Direction(direction) + ")");
}
void RecordingPlatform::SendKeyboardInput(const KeyboardInput& input) {
    Record("SendKeyboardInput(vk=" + std::to_string(input.virtualKey) +
           ",scan=" + std::to_string(input.scanCode) + "," + Direction(input.direction) +
           (input.extended ? ",extended" : "") + ",time=" + std::to_string(input.time) + ")");
}
std::uint32_t RecordingPlatform::ScanCodeOfKey(std::uint32_t code) {
    Record("ScanCodeOfKey(" + std::to_string(code) + ")");
    return scanCodeOfKey(code);
}
std::uint32_t RecordingPlatform::CharacterOfKey(std::uint32_t code) {
    Record("CharacterOfKey(" + std::to_string(code) + ")");
    return characterOfKey(code);
}
std::uint32_t RecordingPlatform::GetTickCount() {
    Record("GetTickCount");
    return tickCount++;
}
Activation RecordingPlatform::ActivateWindow(NativeWindow window) {
    Record("ActivateWindow(" + std::to_string(window) + ")");
    if (activationNotAnswered) return Activation::NotResponding;
    if (activationRefused) return Activation::Refused;
    foregroundWindow = TopLevelWindowOf(window);
    return Activation::Activated;
}

void RecordingPlatform::PostWindowMessage(NativeWindow window, const PostedMessage& message) {
    std::string carried;
    if (IsMouseMessage(message.message)) {
        carried = "held=" + FlagNames(message.held, kButtonNames, "none");
        if (message.message == WindowMessage::MouseWheel)
            carried += ",turn=" + std::to_string(message.wheelTurn);
    } else {
        carried = Hex(message.value, 8);
    }
    Record("PostWindowMessage(" + std::to_string(window) + "," + MessageName(message.message) +
           "," + carried + "," + Hex(static_cast<std::uint32_t>(message.point), 8) + ")");
}
NativeWindow RecordingPlatform::GetDesktopWindow() {
    Record("GetDesktopWindow");
    return desktopWindow;
}

// --- WaitPort ---
namespace {
std::string WakeSuffix(WaitPort::WakeHandle wake) {
    return wake != 0 ? "," + std::to_string(wake) : std::string();
}
}  // namespace

WaitPort::TimerHandle RecordingPlatform::CreateDelayTimer() {
    Record("CreateDelayTimer");
    if (failTimerCreation) return 0;
    return nextTimer_++;
}
bool RecordingPlatform::SetDelayTimer(TimerHandle timer, std::int64_t dueTime) {
    Record("SetDelayTimer(" + std::to_string(timer) + "," + std::to_string(dueTime) + ")");
    if (failTimerSetting) return false;
    timerDue_[timer] = dueTime;
    return true;
}
// The wake event is recorded only when there is one: a wait outside a run names none.
WaitPort::WaitResult RecordingPlatform::WaitForTimerOrMessages(TimerHandle timer, WakeHandle wake) {
    Record("WaitForTimerOrMessages(" + std::to_string(timer) + WakeSuffix(wake) + ")");
    if (wake != 0 && beforeWait) beforeWait();
    if (wake != 0 && signalledWakes.count(wake) != 0) return WaitResult::Woken;
    return TimerWaitResult(timer);
}
WaitPort::WaitResult RecordingPlatform::TimerWaitResult(TimerHandle timer) {
    if (!waitResults.empty()) {
        const WaitResult result = waitResults.front();
        waitResults.pop_front();
        return result;
    }
    const auto due = timerDue_.find(timer);
    if (due == timerDue_.end()) return WaitResult::Failed;  // never set: would wait forever
    if (due->second < 0) nowMicroseconds += static_cast<std::uint64_t>(-due->second / 10);
    if (due->second < 0) nowMicroseconds += timerLatenessMicroseconds;
    timerDue_.erase(due);
    return WaitResult::Timer;
}
WaitPort::WaitResult RecordingPlatform::WaitForMessages(std::uint32_t timeoutMs, WakeHandle wake) {
    Record("WaitForMessages(" + std::to_string(timeoutMs) + WakeSuffix(wake) + ")");
    if (wake != 0 && beforeWait) beforeWait();
    if (wake != 0 && signalledWakes.count(wake) != 0) return WaitResult::Woken;
    return TimeoutWaitResult(timeoutMs);
}
WaitPort::WaitResult RecordingPlatform::TimeoutWaitResult(std::uint32_t timeoutMs) {
    if (!waitResults.empty()) {
        const WaitResult result = waitResults.front();
        waitResults.pop_front();
        if (result == WaitResult::Messages) nowMicroseconds += 100;
        return result;
    }
    nowMicroseconds += std::uint64_t{timeoutMs} * 1000;
    return WaitResult::Timer;
}
WaitPort::WakeHandle RecordingPlatform::CreateWakeEvent() {
    Record("CreateWakeEvent");
    if (failWakeEventCreation) return 0;
    return nextWake_++;
}
void RecordingPlatform::SignalWakeEvent(WakeHandle wake) {
    Record("SignalWakeEvent(" + std::to_string(wake) + ")");
    if (wake != 0) signalledWakes.insert(wake);
}
void RecordingPlatform::CloseWakeEvent(WakeHandle wake) {
    Record("CloseWakeEvent(" + std::to_string(wake) + ")");
    signalledWakes.erase(wake);
}
void RecordingPlatform::CloseTimer(TimerHandle timer) {
    Record("CloseTimer(" + std::to_string(timer) + ")");
    timerDue_.erase(timer);
}
void RecordingPlatform::ProcessPendingEvents() {
    Record("ProcessPendingEvents");
    if (onProcessPendingEvents) onProcessPendingEvents();
}
std::uint64_t RecordingPlatform::NowMicroseconds() {
    return nowMicroseconds;
}
void RecordingPlatform::YieldToOtherThreads() {
    ++yields;
    nowMicroseconds += yieldMicroseconds;
}
void RecordingPlatform::BeginPreciseTiming() {
    Record("BeginPreciseTiming");
    ++preciseTimingDepth;
}
void RecordingPlatform::EndPreciseTiming() {
    Record("EndPreciseTiming");
    --preciseTimingDepth;
}

// --- SystemPort ---
bool RecordingPlatform::StartProcess(const Utf8Text& commandLine, std::uint32_t idleWaitMs) {
    Record("StartProcess(" + commandLine + "," + std::to_string(idleWaitMs) + ")");
    return processStarts(commandLine);
}
std::vector<ProcessEntry> RecordingPlatform::SnapshotProcesses() {
    Record("SnapshotProcesses");
    if (failSnapshot) return {};
    return processes;
}
Utf8Text RecordingPlatform::ProcessName(std::uint32_t processId) {
    Record("ProcessName(" + std::to_string(processId) + ")");
    if (unaskableProcesses.count(processId) != 0) return {};
    for (const ProcessEntry& process : processes)
        if (process.processId == processId && processId != 0) return process.exeName;
    return {};
}
std::vector<WindowEntry> RecordingPlatform::EnumerateTopLevelWindows() {
    Record("EnumerateTopLevelWindows");
    return windows;
}
void RecordingPlatform::VisitTopLevelWindows(const std::function<bool(NativeWindow)>& visit) {
    Record("VisitTopLevelWindows");
    // A copy: a visit may change the list, as windows come and go while a search runs.
    const std::vector<WindowEntry> list = windows;
    for (const WindowEntry& entry : list)
        if (!visit(entry.window)) return;
}
void RecordingPlatform::VisitChildWindows(NativeWindow parent,
                                          const std::function<bool(NativeWindow)>& visit) {
    Record("VisitChildWindows(" + std::to_string(parent) + ")");
    const auto found = childWindows.find(parent);
    if (found == childWindows.end()) return;
    const std::vector<WindowEntry> list = found->second;
    for (const WindowEntry& entry : list)
        if (!visit(entry.window)) return;
}
WindowEntry RecordingPlatform::ReadWindow(NativeWindow window, WindowFields fields) {
    Record("ReadWindow(" + std::to_string(window) + "," + FlagNames(fields, kFieldNames, "none") +
           ")");
    WindowEntry read;
    read.window = window;
    const std::optional<WindowEntry> entry = Find(window);
    if (!entry) return read;
    if (fields.Has(WindowField::Visible)) read.visible = entry->visible;
    if (fields.Has(WindowField::Process)) {
        read.processId = entry->processId;
        read.threadId = entry->threadId;
    }
    if (fields.Has(WindowField::Class)) read.className = entry->className;
    if (fields.Has(WindowField::Title)) read.title = entry->title;
    return read;
}
std::optional<WindowEntry> RecordingPlatform::Find(NativeWindow window) const {
    for (const WindowEntry& entry : windows)
        if (entry.window == window) return entry;
    for (const auto& [parent, children] : childWindows)
        for (const WindowEntry& entry : children)
            if (entry.window == window) return entry;
    return std::nullopt;
}
std::optional<WindowEntry> RecordingPlatform::DescribeWindow(NativeWindow window) {
    Record("DescribeWindow(" + std::to_string(window) + ")");
    return Find(window);
}
NativeWindow RecordingPlatform::WindowAtPoint(Point where) {
    Record("WindowAtPoint(" + std::to_string(where.x) + "," + std::to_string(where.y) + ")");
    return windowAtPoint(where);
}
NativeWindow RecordingPlatform::TopLevelWindowOf(NativeWindow window) {
    Record("TopLevelWindowOf(" + std::to_string(window) + ")");
    const auto isTopLevel = [this](NativeWindow candidate) {
        return std::any_of(windows.begin(), windows.end(), [candidate](const WindowEntry& entry) {
            return entry.window == candidate;
        });
    };
    if (isTopLevel(window)) return window;
    for (const auto& [parent, children] : childWindows)
        if (isTopLevel(parent))
            for (const WindowEntry& entry : children)
                if (entry.window == window) return parent;
    return 0;
}
std::optional<std::uint32_t> RecordingPlatform::PixelColorAt(Point where) {
    Record("PixelColorAt(" + std::to_string(where.x) + "," + std::to_string(where.y) + ")");
    return pixelColorAt(where);
}
int RecordingPlatform::ShowMessageBox(const Utf8Text& text, const Utf8Text& caption,
                                      MessageBoxOptions options) {
    Record("ShowMessageBox(" + text + "|" + caption + "|" +
           FlagNames(options, kOptionNames, "plain") + ")");
    if (onMessageBox) onMessageBox();
    return messageBoxResult;
}

// --- HotkeyPort ---
void RecordingPlatform::RunStartedThreads() {
    auto bodies = std::move(threads);
    threads.clear();
    for (auto& body : bodies) body();
}
std::uint32_t RecordingPlatform::GetCurrentThreadId() {
    Record("GetCurrentThreadId");
    return currentThreadId;
}
std::uint32_t RecordingPlatform::GetWindowThreadId(NativeWindow window) {
    Record("GetWindowThreadId(" + std::to_string(window) + ")");
    const auto found = windowThreads.find(window);
    return found == windowThreads.end() ? 0 : found->second;
}
void RecordingPlatform::AttachThreadInput(std::uint32_t from, std::uint32_t to) {
    Record("AttachThreadInput(" + std::to_string(from) + "," + std::to_string(to) + ")");
}
void RecordingPlatform::StartWindowlessTimer(std::uint32_t timerId, std::uint32_t intervalMs,
                                             std::function<void()> onTick) {
    Record("StartWindowlessTimer(" + std::to_string(timerId) + "," + std::to_string(intervalMs) +
           ")");
    timerTick = std::move(onTick);
}
bool RecordingPlatform::GetKeyboardState(KeyboardState& state) {
    Record("GetKeyboardState");
    if (failKeyboardState) return false;
    state = keyboard;
    return true;
}
void RecordingPlatform::StartThread(std::function<void()> body) {
    Record("StartThread");
    threads.push_back(std::move(body));
}

// --- FilePort ---
bool RecordingPlatform::NamesFit(const Utf8Text& path) {
    std::size_t units = 0;
    for (const char c : path) {
        if (c == '\\' || c == '/') {
            units = 0;
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80) ++units;  // each character's first byte
        if (byte >= 0xF0) ++units;           // beyond the first plane: a surrogate pair
        if (units > kMaxComponentUnits) return false;
    }
    return true;
}
Utf8Text RecordingPlatform::Key(const Utf8Text& path) {
    Utf8Text key = path;
    for (char& c : key) {
        if (c == '/') c = '\\';
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
    }
    // Doubled separators name the same place, as on the platform.
    Utf8Text collapsed;
    for (char c : key)
        if (!(c == '\\' && !collapsed.empty() && collapsed.back() == '\\')) collapsed.push_back(c);
    while (collapsed.size() > 1 && collapsed.back() == '\\') collapsed.pop_back();
    return collapsed;
}
void RecordingPlatform::AddFolder(const Utf8Text& path) {
    const Utf8Text key = Key(path);
    if (key.empty() || folders_.count(key)) return;
    const Utf8Text parent = Parent(key);
    if (!parent.empty() && parent.back() != ':') {
        Utf8Text givenParent = path;
        while (!givenParent.empty() && givenParent.back() == '\\') givenParent.pop_back();
        AddFolder(givenParent.substr(0, givenParent.find_last_of('\\')));
    }
    Utf8Text given = path;
    while (!given.empty() && given.back() == '\\') given.pop_back();
    folders_[key] = given;
    FolderChanged(Parent(key));
}
void RecordingPlatform::AddFile(const Utf8Text& path, const std::string& bytes) {
    const auto slash = path.find_last_of('\\');
    if (slash != Utf8Text::npos) AddFolder(path.substr(0, slash));
    files_[Key(path)] = {path, bytes};
    FileWritten(Key(path));
}
bool RecordingPlatform::HasFile(const Utf8Text& path) const {
    return files_.count(Key(path)) > 0;
}
bool RecordingPlatform::HasFolder(const Utf8Text& path) const {
    return folders_.count(Key(path)) > 0;
}
std::string RecordingPlatform::FileBytes(const Utf8Text& path) const {
    const auto found = files_.find(Key(path));
    return found == files_.end() ? std::string() : found->second.second;
}

std::vector<DirectoryEntry> RecordingPlatform::ListDirectory(const Utf8Text& folder,
                                                             const Utf8Text& pattern) {
    Record("ListDirectory(" + folder + "|" + pattern + ")");
    const Utf8Text key = Key(folder);
    std::vector<DirectoryEntry> entries;
    if (!folders_.count(key)) return entries;
    if (MatchesWildcard(".", pattern)) {
        entries.push_back({".", true});
        entries.push_back({"..", true});
    }
    for (const auto& [folderKey, given] : folders_)
        if (Parent(folderKey) == key && MatchesWildcard(BaseName(given), pattern))
            entries.push_back({BaseName(given), true});
    for (const auto& [fileKey, file] : files_)
        if (Parent(fileKey) == key && MatchesWildcard(BaseName(file.first), pattern))
            entries.push_back({BaseName(file.first), false});
    return entries;
}
std::optional<std::string> RecordingPlatform::ReadWholeFile(const Utf8Text& path) {
    Record("ReadWholeFile(" + path + ")");
    if (unreadablePaths.count(path)) return std::nullopt;
    const auto found = files_.find(Key(path));
    if (found == files_.end()) return std::nullopt;
    return found->second.second;
}
bool RecordingPlatform::WriteWholeFile(const Utf8Text& path, const std::string& bytes) {
    Record("WriteWholeFile(" + path + ")");
    if (unwritablePaths.count(path) || !NamesFit(path)) return false;
    const Utf8Text key = Key(path);
    if (!folders_.count(Parent(key)) || folders_.count(key)) return false;
    const auto existing = files_.find(key);
    files_[key] = {existing == files_.end() ? path : existing->second.first, bytes};
    FileWritten(key);
    return true;
}
bool RecordingPlatform::IsDirectory(const Utf8Text& path) {
    Record("IsDirectory(" + path + ")");
    return folders_.count(Key(path)) > 0;
}
bool RecordingPlatform::CreateDirectories(const Utf8Text& path) {
    Record("CreateDirectories(" + path + ")");
    if (unwritablePaths.count(path) || !NamesFit(path)) return false;
    if (files_.count(Key(path))) return false;
    AddFolder(path);
    return true;
}
bool RecordingPlatform::RenamePath(const Utf8Text& from, const Utf8Text& to) {
    Record("RenamePath(" + from + "|" + to + ")");
    if (unwritablePaths.count(from) || unwritablePaths.count(to) || !NamesFit(to)) return false;
    const Utf8Text fromKey = Key(from);
    const Utf8Text toKey = Key(to);
    if (files_.count(toKey) || folders_.count(toKey) || !folders_.count(Parent(toKey)))
        return false;
    if (const auto file = files_.find(fromKey); file != files_.end()) {
        files_[toKey] = {to, file->second.second};
        files_.erase(fromKey);
        writeTimes_[toKey] = writeTimes_[fromKey];
        writeTimes_.erase(fromKey);
        FolderChanged(Parent(fromKey));
        FolderChanged(Parent(toKey));
        return true;
    }
    if (!folders_.count(fromKey) || Watched(fromKey)) return false;
    FolderChanged(fromKey, true);
    FolderChanged(Parent(fromKey));
    FolderChanged(Parent(toKey));
    // Move the folder and everything below it.
    std::map<Utf8Text, Utf8Text> movedFolders;
    for (auto it = folders_.begin(); it != folders_.end();) {
        if (it->first == fromKey || it->first.rfind(fromKey + "\\", 0) == 0) {
            movedFolders[toKey + it->first.substr(fromKey.size())] =
                to + it->second.substr(std::min(it->second.size(), from.size()));
            it = folders_.erase(it);
        } else {
            ++it;
        }
    }
    folders_.insert(movedFolders.begin(), movedFolders.end());
    std::map<Utf8Text, std::pair<Utf8Text, std::string>> movedFiles;
    for (auto it = files_.begin(); it != files_.end();) {
        if (it->first.rfind(fromKey + "\\", 0) == 0) {
            const Utf8Text movedKey = toKey + it->first.substr(fromKey.size());
            movedFiles[movedKey] = {
                to + it->second.first.substr(std::min(it->second.first.size(), from.size())),
                it->second.second};
            writeTimes_[movedKey] = writeTimes_[it->first];
            writeTimes_.erase(it->first);
            it = files_.erase(it);
        } else {
            ++it;
        }
    }
    files_.insert(movedFiles.begin(), movedFiles.end());
    FolderChanged(toKey, true);
    return true;
}
bool RecordingPlatform::RemoveFile(const Utf8Text& path) {
    Record("RemoveFile(" + path + ")");
    if (unwritablePaths.count(path)) return false;
    if (files_.erase(Key(path)) == 0) return false;
    writeTimes_.erase(Key(path));
    FolderChanged(Parent(Key(path)));
    return true;
}
bool RecordingPlatform::RemoveDirectoryTree(const Utf8Text& path) {
    Record("RemoveDirectoryTree(" + path + ")");
    if (unwritablePaths.count(path)) return false;
    const Utf8Text key = Key(path);
    if (!folders_.count(key) || Watched(key)) return false;
    FolderChanged(key, true);
    FolderChanged(Parent(key));
    for (auto it = folders_.begin(); it != folders_.end();)
        it = (it->first == key || it->first.rfind(key + "\\", 0) == 0) ? folders_.erase(it) : ++it;
    for (auto it = files_.begin(); it != files_.end();)
        it = it->first.rfind(key + "\\", 0) == 0 ? files_.erase(it) : ++it;
    return true;
}
bool RecordingPlatform::PathExists(const Utf8Text& path) {
    Record("PathExists(" + path + ")");
    const Utf8Text key = Key(path);
    return files_.count(key) > 0 || folders_.count(key) > 0;
}
bool RecordingPlatform::CreateNewEmptyFile(const Utf8Text& path) {
    Record("CreateNewEmptyFile(" + path + ")");
    const Utf8Text key = Key(path);
    if (unwritablePaths.count(path) || files_.count(key) || folders_.count(key) ||
        !folders_.count(Parent(key)) || !NamesFit(path))
        return false;
    files_[key] = {path, std::string()};
    FileWritten(key);
    return true;
}
bool RecordingPlatform::ReplaceFileAtomically(const Utf8Text& path, const std::string& bytes) {
    Record("ReplaceFileAtomically(" + path + ")");
    const Utf8Text key = Key(path);
    if (unwritablePaths.count(path) || folders_.count(key) || !folders_.count(Parent(key)) ||
        !NamesFit(path))
        return false;
    // The bytes go to a temporary file beside it first, as on the platform: its name must fit
    // too. It takes the target's name at once, so it is never seen.
    Utf8Text temporary;
    do {
        temporary = TemporaryFileBeside(path, nextTemporary_++);
    } while (files_.count(Key(temporary)) > 0);
    if (!NamesFit(temporary)) return false;
    const auto existing = files_.find(key);
    files_[key] = {existing == files_.end() ? path : existing->second.first, bytes};
    FileWritten(key);
    return true;
}
bool RecordingPlatform::AppendToFile(const Utf8Text& path, const std::string& bytes) {
    Record("AppendToFile(" + path + ")");
    const Utf8Text key = Key(path);
    if (unwritablePaths.count(path) || folders_.count(key) || !folders_.count(Parent(key)) ||
        !NamesFit(path))
        return false;
    auto existing = files_.find(key);
    if (existing == files_.end()) {
        files_[key] = {path, bytes};
    } else {
        existing->second.second += bytes;
    }
    return true;
}
Utf8Text RecordingPlatform::ExecutableFolder() {
    return executableFolder;
}
std::optional<FileStamp> RecordingPlatform::StampOf(const Utf8Text& path) {
    Record("StampOf(" + path + ")");
    const Utf8Text key = Key(path);
    const auto found = files_.find(key);
    if (found == files_.end()) return std::nullopt;
    return FileStamp{found->second.second.size(), writeTimes_[key], recentFiles.count(path) > 0};
}

namespace {
class FakeFolderWatch : public FolderWatch {
  public:
    FakeFolderWatch(const std::map<Utf8Text, std::uint64_t>& changes,
                    std::map<Utf8Text, int>& watching, Utf8Text key)
        : changes_(changes), watching_(watching), key_(std::move(key)), seen_(Now()) {
        ++watching_[key_];
    }
    ~FakeFolderWatch() override {
        if (--watching_[key_] == 0) watching_.erase(key_);
    }
    FakeFolderWatch(const FakeFolderWatch&) = delete;
    FakeFolderWatch& operator=(const FakeFolderWatch&) = delete;
    bool Changed() override {
        const std::uint64_t now = Now();
        return std::exchange(seen_, now) != now;
    }

  private:
    std::uint64_t Now() const {
        const auto found = changes_.find(key_);
        return found == changes_.end() ? 0 : found->second;
    }
    const std::map<Utf8Text, std::uint64_t>& changes_;
    std::map<Utf8Text, int>& watching_;
    Utf8Text key_;
    std::uint64_t seen_;
};
}  // namespace

std::unique_ptr<FolderWatch> RecordingPlatform::WatchFolder(const Utf8Text& folder) {
    Record("WatchFolder(" + folder + ")");
    const Utf8Text key = Key(folder);
    if (!foldersWatchable || !folders_.count(key)) return nullptr;
    return std::make_unique<FakeFolderWatch>(folderChanges_, watched_, key);
}
bool RecordingPlatform::Watched(const Utf8Text& key) const {
    for (const auto& [folder, count] : watched_)
        if (folder == key || folder.rfind(key + "\\", 0) == 0) return true;
    return false;
}
void RecordingPlatform::ChangeFileUnseen(const Utf8Text& path, const std::string& bytes) {
    if (const auto found = files_.find(Key(path)); found != files_.end())
        found->second.second = bytes;
}
void RecordingPlatform::FileWritten(const Utf8Text& key) {
    writeTimes_[key] = ++fileClock_;
    FolderChanged(Parent(key));
}
void RecordingPlatform::FolderChanged(const Utf8Text& key, bool below) {
    ++folderChanges_[key];
    if (!below) return;
    for (const auto& [folder, given] : folders_)
        if (folder.rfind(key + "\\", 0) == 0) ++folderChanges_[folder];
}

// --- ClipboardPort ---
bool RecordingPlatform::SetText(const Utf8Text& text) {
    Record("SetText(" + text + ")");
    clipboard = text;
    return true;
}
std::optional<Utf8Text> RecordingPlatform::GetText() {
    Record("GetText");
    return clipboard;
}

}  // namespace kavo
