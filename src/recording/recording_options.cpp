#include "recording/recording_options.h"

#include <charconv>
#include <optional>
#include <string>
#include <string_view>

#include "text/encoding.h"

namespace kavo {
namespace {

// The names as the file spells them (UTF-8 here, GBK in the file).
constexpr const char* kMouse = "录制鼠标";
constexpr const char* kKeyboard = "录制键盘";
constexpr const char* kPath = "录制指针路径";
constexpr const char* kPathInterval = "路径间隔毫秒";
constexpr const char* kPauseThreshold = "停顿阈值毫秒";
constexpr const char* kRecordKey = "录制键代码";

std::optional<int> Number(std::string_view text, int lowest, int highest) {
    int value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
    if (value < lowest || value > highest) return std::nullopt;
    return value;
}

std::string Flag(bool value) {
    return value ? "真" : "假";
}

}  // namespace

Utf8Text RecordKeyName(KeyCode key) {
    Utf8Text name(1, 'F');
    name += std::to_string(key - 111);
    return name;
}

Utf8Text RecordKeyBindingRefusal(KeyCode recordKey) {
    const Utf8Text name = RecordKeyName(recordKey);
    return name +
           " 是录制键：按它开始和结束录制，所以它不能用来启动脚本。请换一个键，或在“操作”菜单的“录"
           "制选项”里换一个录制键。";
}

std::variant<RecordingSettings, Utf8Text> SettingsFromForm(const RecordingOptionsForm& form,
                                                           int boundHotkey) {
    if (!form.mouse && !form.keyboard) return Utf8Text("录制鼠标和录制键盘至少要选一项。");
    RecordingSettings settings;
    settings.options.mouse = form.mouse;
    settings.options.keyboard = form.keyboard;
    settings.options.path = form.path;
    const std::optional<int> interval = Number(form.pathIntervalMs, 10, 60000);
    if (!interval) return Utf8Text("路径间隔要填 10 到 60000 之间的毫秒数。");
    settings.options.pathIntervalMs = *interval;
    const std::optional<int> threshold = Number(form.pauseThresholdMs, 1, 60000);
    if (!threshold) return Utf8Text("停顿阈值要填 1 到 60000 之间的毫秒数。");
    settings.options.pauseThresholdMs = *threshold;
    if (!IsRecordKeyChoice(form.recordKey)) return Utf8Text("录制键只能是 F2 到 F11 中的一个。");
    if (form.recordKey == boundHotkey)
        return RecordKeyName(form.recordKey) +
               " 已绑定为运行脚本的热键，不能同时用作录制键。请换一个录制键。";
    settings.recordKey = form.recordKey;
    return settings;
}

Utf8Text RecordingSettingsPath(FilePort& files) {
    return files.ExecutableFolder() + "\\record.ini";
}

RecordingSettings ReadRecordingSettings(FilePort& files) {
    RecordingSettings settings;
    const std::optional<std::string> bytes = files.ReadWholeFile(RecordingSettingsPath(files));
    if (!bytes) return settings;
    const std::string text = GbkToUtf8(*bytes);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        const std::string_view line(text.data() + start, end - start);
        start = end + 1;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view name = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);
        if (name == kMouse) settings.options.mouse = value == "真";
        if (name == kKeyboard) settings.options.keyboard = value == "真";
        if (name == kPath) settings.options.path = value == "真";
        if (name == kPathInterval)
            settings.options.pathIntervalMs =
                Number(value, 10, 60000).value_or(settings.options.pathIntervalMs);
        if (name == kPauseThreshold)
            settings.options.pauseThresholdMs =
                Number(value, 1, 60000).value_or(settings.options.pauseThresholdMs);
        if (name == kRecordKey)
            settings.recordKey = static_cast<KeyCode>(
                Number(value, kFirstRecordKey, kLastRecordKey).value_or(settings.recordKey));
    }
    return settings;
}

bool WriteRecordingSettings(FilePort& files, const RecordingSettings& settings) {
    const RecordingOptions& o = settings.options;
    const std::string text = std::string(kMouse) + "=" + Flag(o.mouse) + "\r\n" + kKeyboard + "=" +
                             Flag(o.keyboard) + "\r\n" + kPath + "=" + Flag(o.path) + "\r\n" +
                             kPathInterval + "=" + std::to_string(o.pathIntervalMs) + "\r\n" +
                             kPauseThreshold + "=" + std::to_string(o.pauseThresholdMs) + "\r\n" +
                             kRecordKey + "=" + std::to_string(settings.recordKey) + "\r\n";
    return files.ReplaceFileAtomically(RecordingSettingsPath(files), Utf8ToGbk(text));
}

}  // namespace kavo
