#include "commands/script_run.h"

#include <algorithm>

#include "commands/gbk_characters.h"

namespace kavo {
namespace {

thread_local ScriptRun* tCurrentRun = nullptr;

// Every registry of the process, for the last moment of a process that fails.
std::mutex& RegistriesMutex() {
    static std::mutex mutex;
    return mutex;
}
std::vector<RunRegistry*>& Registries() {
    static std::vector<RunRegistry*> registries;
    return registries;
}

}  // namespace

RunRegistry::RunRegistry() {
    const std::lock_guard lock(RegistriesMutex());
    Registries().push_back(this);
}

RunRegistry::~RunRegistry() {
    const std::lock_guard lock(RegistriesMutex());
    std::erase(Registries(), this);
}

void ReleaseEverythingHeldInProcess() {
    const std::unique_lock registries(RegistriesMutex(), std::try_to_lock);
    if (!registries.owns_lock()) return;
    for (RunRegistry* registry : Registries()) {
        const std::unique_lock runs(registry->mutex_, std::try_to_lock);
        if (!runs.owns_lock()) continue;
        for (ScriptRun* run : registry->runs_) {
            run->RequestStop();
            if (std::optional<std::vector<HeldInput>> held = run->TryTakeHeld())
                ScriptRun::Release(run->Input(), *held);
        }
    }
}

ScriptRun* CurrentRun() {
    return tCurrentRun;
}

bool CurrentRunStopped() {
    const ScriptRun* run = tCurrentRun;
    return run != nullptr && run->StopRequested();
}

int RunsOnCallingThread() {
    int count = 0;
    for (const ScriptRun* run = tCurrentRun; run != nullptr; run = run->Outer()) ++count;
    return count;
}

bool CurrentRunMayGoOn(int line) {
    ScriptRun* run = tCurrentRun;
    if (run == nullptr) return true;
    if (run->StopRequested()) return false;
    run->SetLine(line);
    return true;
}

ScriptRun::ScriptRun(RunRegistry& registry, InputPort& input, WaitPort& wait)
    : registry_(registry), input_(input), wait_(wait), outer_(tCurrentRun) {
    wake_ = wait_.CreateWakeEvent();
    tCurrentRun = this;
    registry_.Add(*this);
}

ScriptRun::~ScriptRun() {
    ReleaseHeld();
    if (!StopRequested()) {
        // A lone lead byte at the end is still what the script posted: it goes out as the
        // character it makes alone rather than vanishing.
        for (const auto& [window, lead] : leadBytes_)
            input_.PostWindowMessage(
                window, {.message = WindowMessage::Character, .value = LoneByteCharacter(lead)});
    }
    leadBytes_.clear();
    // Unregistered before the wake event goes, so a stop from another thread never signals a
    // closed event.
    registry_.Remove(*this);
    wait_.CloseWakeEvent(wake_);
    tCurrentRun = outer_;
}

void ScriptRun::RequestStop() {
    stopped_.store(true, std::memory_order_release);
    wait_.SignalWakeEvent(wake_);
}

void ScriptRun::StopBecause(Utf8Text why) {
    {
        const std::lock_guard lock(reasonMutex_);
        if (StopRequested()) return;
        reason_ = std::move(why);
    }
    RequestStop();
}

Utf8Text ScriptRun::StopReason() const {
    const std::lock_guard lock(reasonMutex_);
    return reason_;
}

namespace {
// A key pressed one way and released another is released all the same.
bool SameInput(const HeldInput& a, const HeldInput& b) {
    const bool mouse = a.way == HeldInput::Way::MouseButton;
    if (mouse != (b.way == HeldInput::Way::MouseButton)) return false;
    return mouse ? a.release == b.release : a.key == b.key;
}
}  // namespace

void ScriptRun::NotePressed(const HeldInput& held) {
    const std::lock_guard lock(heldMutex_);
    // A key pressed again while held (auto-repeat style) is still one key to release.
    if (std::none_of(held_.begin(), held_.end(),
                     [&held](const HeldInput& entry) { return SameInput(entry, held); }))
        held_.push_back(held);
}

bool ScriptRun::NoteReleased(const HeldInput& released) {
    const std::lock_guard lock(heldMutex_);
    return std::erase_if(held_,
                         [&](const HeldInput& entry) { return SameInput(entry, released); }) != 0;
}

bool ScriptRun::Holds(const HeldInput& input) const {
    const std::lock_guard lock(heldMutex_);
    return std::any_of(held_.begin(), held_.end(),
                       [&](const HeldInput& entry) { return SameInput(entry, input); });
}

std::vector<HeldInput> ScriptRun::Held() const {
    const std::lock_guard lock(heldMutex_);
    return held_;
}

std::vector<HeldInput> ScriptRun::TakeHeld() {
    std::vector<HeldInput> held;
    const std::lock_guard lock(heldMutex_);
    held.swap(held_);
    return held;
}

std::optional<std::vector<HeldInput>> ScriptRun::TryTakeHeld() {
    const std::unique_lock lock(heldMutex_, std::try_to_lock);
    if (!lock.owns_lock()) return std::nullopt;
    std::vector<HeldInput> held;
    held.swap(held_);
    return held;
}

void ScriptRun::ReleaseHeld() {
    Release(input_, TakeHeld());
}

void ScriptRun::Release(InputPort& input, const std::vector<HeldInput>& held) {
    for (auto entry = held.rbegin(); entry != held.rend(); ++entry) {
        switch (entry->way) {
            case HeldInput::Way::VirtualKey:
                input.KeybdEvent(static_cast<KeyCode>(entry->key), KeyDirection::Up);
                break;
            case HeldInput::Way::KeyboardRecord: {
                KeyboardInput release = entry->press;
                release.direction = KeyDirection::Up;
                release.time = 0;  // stamped by the system
                input.SendKeyboardInput(release);
                break;
            }
            case HeldInput::Way::MouseButton:
                input.MouseEvent(entry->release, 0, 0);
                break;
        }
    }
}

std::optional<std::uint8_t> ScriptRun::TakeLeadByte(NativeWindow window) {
    const auto found = std::find_if(leadBytes_.begin(), leadBytes_.end(),
                                    [window](const auto& entry) { return entry.first == window; });
    if (found == leadBytes_.end()) return std::nullopt;
    const std::uint8_t lead = found->second;
    leadBytes_.erase(found);
    return lead;
}

void ScriptRun::KeepLeadByte(NativeWindow window, std::uint8_t lead) {
    leadBytes_.emplace_back(window, lead);
}

int RunRegistry::StopAll() {
    const std::lock_guard lock(mutex_);
    for (ScriptRun* run : runs_) run->RequestStop();
    return static_cast<int>(runs_.size());
}

void RunRegistry::StopAndReleaseAll() {
    std::vector<std::pair<InputPort*, std::vector<HeldInput>>> releases;
    {
        const std::lock_guard lock(mutex_);
        for (ScriptRun* run : runs_) {
            run->RequestStop();
            releases.emplace_back(&run->Input(), run->TakeHeld());
        }
    }
    for (const auto& [input, held] : releases) ScriptRun::Release(*input, held);
}

void RunRegistry::ReleaseStopped() {
    std::vector<std::pair<InputPort*, std::vector<HeldInput>>> releases;
    {
        const std::lock_guard lock(mutex_);
        for (ScriptRun* run : runs_)
            if (run->StopRequested()) releases.emplace_back(&run->Input(), run->TakeHeld());
    }
    for (const auto& [input, held] : releases) ScriptRun::Release(*input, held);
}

void RunRegistry::BeginClosing() {
    const std::lock_guard lock(mutex_);
    closing_ = true;
    for (ScriptRun* run : runs_) run->RequestStop();
}

void RunRegistry::EndClosing() {
    const std::lock_guard lock(mutex_);
    closing_ = false;
}

bool RunRegistry::Closing() const {
    const std::lock_guard lock(mutex_);
    return closing_;
}

int RunRegistry::ActiveRuns() const {
    const std::lock_guard lock(mutex_);
    return static_cast<int>(runs_.size());
}

void RunRegistry::SetActivityObserver(std::function<void()> observer) {
    const std::lock_guard lock(mutex_);
    observer_ = std::move(observer);
}

void RunRegistry::Add(ScriptRun& run) {
    std::function<void()> observer;
    {
        const std::lock_guard lock(mutex_);
        if (closing_) run.RequestStop();
        runs_.push_back(&run);
        if (runs_.size() == 1) observer = observer_;
    }
    if (observer) observer();
}

void RunRegistry::Remove(ScriptRun& run) {
    std::function<void()> observer;
    {
        const std::lock_guard lock(mutex_);
        std::erase(runs_, &run);
        if (runs_.empty()) observer = observer_;
    }
    if (observer) observer();
}

}  // namespace kavo
