#include "appearance/settings_files.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

namespace kavo {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

RuntimeText JoinLines(const std::vector<RuntimeText>& lines, bool endAfterLast) {
    RuntimeText text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += lines[i];
        if (endAfterLast || i + 1 < lines.size()) text += kLineEnd;
    }
    return text;
}

// The file is read whole; a missing or unreadable file reads as empty text.
RuntimeText ReadText(FilePort& files, const Utf8Text& path) {
    return files.ReadWholeFile(path).value_or(std::string());
}

// The file's text, the empty text for a missing file, and nullopt for one that exists but cannot
// be read (another program holds it): what was not read must not be written over.
std::optional<RuntimeText> ReadForChange(FilePort& files, const Utf8Text& path) {
    if (std::optional<std::string> bytes = files.ReadWholeFile(path)) return bytes;
    if (files.PathExists(path)) return std::nullopt;
    return RuntimeText();
}

// One line of a file: its text [begin, end) and where the next line starts (after its CR LF,
// LF or CR). A file edited by hand may end its lines any of the three ways.
struct LineSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t next = 0;
};

// As SplitText cuts: a last line without a line end counts only when it is not empty.
// Calls visit(LineSpan) for each line in order, without gathering them first.
template <typename Visit>
void ForEachLine(std::string_view text, Visit&& visit) {
    std::size_t begin = 0;
    const std::size_t size = text.size();
    for (std::size_t pos = begin; pos < size; ++pos) {
        const char byte = text[pos];
        if (byte != '\r' && byte != '\n') continue;
        const std::size_t next =
            byte == '\r' && pos + 1 < size && text[pos + 1] == '\n' ? pos + 2 : pos + 1;
        visit(LineSpan{begin, pos, next});
        begin = next;
        pos = next - 1;
    }
    if (begin < size) visit(LineSpan{begin, size, size});
}

std::vector<LineSpan> Lines(std::string_view text) {
    std::vector<LineSpan> lines;
    ForEachLine(text, [&](const LineSpan& line) { lines.push_back(line); });
    return lines;
}

std::vector<RuntimeText> LineTexts(std::string_view text) {
    std::vector<RuntimeText> texts;
    texts.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    ForEachLine(text, [&](const LineSpan& line) {
        texts.emplace_back(text.substr(line.begin, line.end - line.begin));
    });
    return texts;
}

// Never truncate-then-write: a failure half way would leave the user's settings half written.
bool ReplaceFile(FilePort& files, const Utf8Text& path, const RuntimeText& bytes) {
    return files.ReplaceFileAtomically(path, bytes);
}

}  // namespace

bool FlagValue(std::string_view text) {
    return text == kTrueText;
}

RuntimeText FlagText(bool value) {
    return RuntimeText(value ? kTrueText : kFalseText);
}

SettingsRecord DefaultSettings() {
    const RuntimeText no = FlagText(false);
    return {no,
            no,
            ColorText(0xECECEC),
            ColorText(0x353535),
            "0",
            "0",
            "0",
            no,
            ColorText(0xC0C0C0),
            ColorText(0x353535),
            ColorText(0xE9E9E9),
            ColorText(0x353535),
            ColorText(0xFFFFFF),
            ColorText(0xFFFFFF)};
}

Utf8Text SettingsPath(FilePort& files) {
    return files.ExecutableFolder() + "\\link.ini";
}

Utf8Text SchemesPath(FilePort& files) {
    return files.ExecutableFolder() + "\\color.ini";
}

SettingsRecord ReadSettings(FilePort& files) {
    SettingsRecord record = LineTexts(ReadText(files, SettingsPath(files)));
    const SettingsRecord defaults = DefaultSettings();
    for (std::size_t line = record.size(); line < defaults.size(); ++line)
        record.push_back(defaults[line]);
    return record;
}

bool SettingsFileExists(FilePort& files) {
    return files.PathExists(SettingsPath(files));
}

bool SettingsFileUnreadable(FilePort& files) {
    return !ReadForChange(files, SettingsPath(files)).has_value();
}

bool WriteDefaultSettings(FilePort& files) {
    return ReplaceFile(files, SettingsPath(files), JoinLines(DefaultSettings(), false));
}

bool WriteSettings(FilePort& files, const SettingsRecord& record) {
    return ReplaceFile(files, SettingsPath(files), JoinLines(record, true));
}

std::vector<ColorScheme> ReadSchemes(FilePort& files) {
    std::vector<ColorScheme> schemes;
    for (const RuntimeText& line : LineTexts(ReadText(files, SchemesPath(files)))) {
        // Without "=" the line holds no scheme, but it keeps its place in the list.
        if (FindText(line, "=") == RuntimeText::npos) {
            schemes.push_back({});
            continue;
        }
        // Name before the first "=", code up to the second; an empty name is a name.
        const std::size_t first = FindText(line, "=");
        const std::size_t second = FindText(line, "=", first + 1);
        schemes.push_back(
            {line.substr(0, first),
             line.substr(first + 1,
                         second == RuntimeText::npos ? RuntimeText::npos : second - first - 1)});
    }
    return schemes;
}

bool IsStorableSchemeName(std::string_view name) {
    return FindText(name, "=") == std::string_view::npos &&
           name.find_first_of("\r\n") == std::string_view::npos;
}

SchemeStoreResult AddScheme(FilePort& files, std::string_view name, std::string_view code) {
    if (!IsStorableSchemeName(name) || code.find_first_of("\r\n") != std::string_view::npos)
        return SchemeStoreResult::NameRefused;
    const Utf8Text path = SchemesPath(files);
    std::optional<RuntimeText> text = ReadForChange(files, path);
    if (!text) return SchemeStoreResult::ReadFailed;
    // A last line without its line end (a hand-edited file) keeps its own line.
    if (!text->empty() && text->back() != '\n' && text->back() != '\r') text->append(kLineEnd);
    text->append(name).append("=").append(code).append(kLineEnd);
    return ReplaceFile(files, path, *text) ? SchemeStoreResult::Stored
                                           : SchemeStoreResult::WriteFailed;
}

bool DeleteScheme(FilePort& files, int index) {
    const Utf8Text path = SchemesPath(files);
    const std::optional<RuntimeText> text = ReadForChange(files, path);
    if (!text) return false;
    const std::vector<LineSpan> lines = Lines(*text);
    if (index < 0 || static_cast<std::size_t>(index) >= lines.size()) return true;
    // Only the line itself and its own line end go; every other byte stays as it was.
    const LineSpan& line = lines[static_cast<std::size_t>(index)];
    RuntimeText remaining = text->substr(0, line.begin) + text->substr(line.next);
    return ReplaceFile(files, path, remaining);
}

RuntimeText SchemeCodeFrom(const SettingsRecord& record) {
    RuntimeText code;
    for (std::size_t line = kWindowColorLine; line < kWindowColorLine + kSchemeFieldCount; ++line) {
        if (line > kWindowColorLine) code += ";";
        if (line < record.size()) code += record[line];
    }
    return code;
}

bool ApplySchemeCode(std::string_view code, SettingsRecord& record) {
    const std::vector<RuntimeText> fields = SplitText(code, ";");
    if (fields.size() < kSchemeFieldCount) return false;
    const SettingsRecord defaults = DefaultSettings();
    for (std::size_t line = record.size(); line < defaults.size(); ++line)
        record.push_back(defaults[line]);
    for (std::size_t field = 0; field < kSchemeFieldCount; ++field)
        record[kWindowColorLine + field] = fields[field];
    return true;
}

MainWindowColors ColorsFromSettings(const SettingsRecord& record) {
    const auto color = [&record](SettingsLine line) {
        return ColorValue(line < record.size() ? std::string_view(record[line])
                                               : std::string_view(DefaultSettings()[line]));
    };
    MainWindowColors colors;
    colors.titleBackground = color(kWindowColorLine);
    colors.titleText = color(kTitleColorLine);
    colors.menuBackground = color(kMenuColorLine);
    colors.menuText = color(kItemColorLine);
    colors.treeBackground = color(kDataBackgroundLine);
    colors.treeText = color(kDataColorLine);
    colors.editorBackground = color(kTextBackgroundLine);
    colors.windowBackground = color(kSoftwareBackgroundLine);
    return colors;
}

ColorRef HoverColor(const SettingsRecord& startup, SettingsLine buttonLine,
                    ColorRef titleBackground) {
    const bool useOwn = kUseHoverColorsLine < startup.size() &&
                        FlagValue(startup[kUseHoverColorsLine]) && buttonLine < startup.size() &&
                        startup[buttonLine] != "0";
    return useOwn ? ColorValue(startup[buttonLine]) : InverseColor(titleBackground);
}

}  // namespace kavo
