#include "target_window/window_description.h"

#include <algorithm>
#include <string>

#include "text/encoding.h"
#include "text/runtime_text.h"

namespace kavo {
namespace {

// Key words as scripts spell them, in GBK.
constexpr std::string_view kProcessKey = "\xBD\xF8\xB3\xCC";  // 进程
constexpr std::string_view kTitleKey = "\xB1\xEA\xCC\xE2";    // 标题
constexpr std::string_view kClassKey = "\xC0\xE0";            // 类
constexpr std::string_view kTargetWord = "\xC4\xBF\xB1\xEA";  // 目标
constexpr std::string_view kWideColon = "\xA3\xBA";           // ：
constexpr std::string_view kWideSpace = "\xA1\xA1";

// Pieces of text between the separators, on character boundaries; empty pieces kept, the last
// one too, so that "a>" shows its empty step.
std::vector<std::string_view> Pieces(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += CharLengthAt(text, pos)) {
        if (text[pos] != separator) continue;
        pieces.push_back(text.substr(start, pos - start));
        start = pos + 1;
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

std::string_view TrimLeadingSpaces(std::string_view text) {
    for (bool trimmed = true; trimmed;) {
        trimmed = false;
        if (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
            text.remove_prefix(1);
            trimmed = true;
        } else if (text.starts_with(kWideSpace)) {
            text.remove_prefix(kWideSpace.size());
            trimmed = true;
        }
    }
    return text;
}

std::string_view TrimSpaces(std::string_view text) {
    text = TrimLeadingSpaces(text);
    // From the end only on character boundaries: a trail byte may look like a space's byte.
    std::size_t keep = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += CharLengthAt(text, pos)) {
        const std::string_view character = text.substr(pos, CharLengthAt(text, pos));
        if (character != " " && character != "\t" && character != kWideSpace)
            keep = pos + character.size();
    }
    return text.substr(0, keep);
}

struct Colon {
    std::size_t at = std::string_view::npos;
    std::size_t length = 0;
};

Colon FirstColon(std::string_view part) {
    for (std::size_t pos = 0; pos < part.size(); pos += CharLengthAt(part, pos)) {
        if (part[pos] == ':') return {pos, 1};
        if (part.substr(pos).starts_with(kWideColon)) return {pos, kWideColon.size()};
    }
    return {};
}

// "#n" closing a step: the digits after the last "#", when there are only digits.
struct Ordinal {
    std::string_view rest;  // the step without it
    std::optional<long long> number;
};

Ordinal SplitOrdinal(std::string_view step) {
    std::size_t hash = std::string_view::npos;
    for (std::size_t pos = 0; pos < step.size(); pos += CharLengthAt(step, pos))
        if (step[pos] == '#') hash = pos;
    if (hash == std::string_view::npos || hash + 1 == step.size()) return {step, std::nullopt};
    long long number = 0;
    for (std::size_t pos = hash + 1; pos < step.size(); ++pos) {
        if (step[pos] < '0' || step[pos] > '9') return {step, std::nullopt};
        number = std::min(number * 10 + (step[pos] - '0'), 1'000'000'000LL);
    }
    return {step.substr(0, hash), number};
}

Utf8Text Quoted(std::string_view gbk) {
    return "“" + GbkToUtf8(gbk) + "”";
}

// One lookup. Windows are visited front to back and read only as far as WindowMatcher needs, so
// that a search stops at its match: every question is a call into the system, under Wine a
// round trip to its server.
class Finder {
  public:
    Finder(SystemPort& system, const WindowDescription& description, const Utf8Text& bound)
        : system_(system), steps_(description.steps), matcher_(system, bound) {}

    std::optional<NativeWindow> Find() {
        std::optional<NativeWindow> found;
        int matches = 0;
        system_.VisitTopLevelWindows(
            [&](NativeWindow window) { return Consider(window, 0, matches, found); });
        return found;
    }

  private:
    // A window of level index; false ends that level's visit (found, or "#n" decided).
    bool Consider(NativeWindow window, std::size_t index, int& matches,
                  std::optional<NativeWindow>& found) {
        const WindowStep& step = steps_[index];
        if (!matcher_.Meets(window, step)) return true;
        if (step.ordinal > 0 && ++matches < step.ordinal) return true;
        if (index + 1 == steps_.size()) {
            found = window;
            return false;
        }
        found = FindBelow(window, index + 1);
        // "#n" names one window; without it the next window that matches is tried.
        return !found && step.ordinal == 0;
    }

    std::optional<NativeWindow> FindBelow(NativeWindow parent, std::size_t index) {
        std::optional<NativeWindow> found;
        int matches = 0;
        system_.VisitChildWindows(
            parent, [&](NativeWindow window) { return Consider(window, index, matches, found); });
        return found;
    }

    SystemPort& system_;
    const std::vector<WindowStep>& steps_;
    WindowMatcher matcher_;
};

}  // namespace

bool WindowMatcher::Meets(NativeWindow window, const WindowStep& step) {
    using Kind = WindowCondition::Kind;
    std::optional<Utf8Text> title;
    for (const WindowCondition& condition : step.conditions) {
        if (condition.kind != Kind::Title) continue;
        if (!title) title = system_.ReadWindow(window, WindowField::Title).title;
        if (!MatchesUtf8Wildcard(*title, condition.pattern, LetterCase::Exact)) return false;
    }
    std::optional<std::uint32_t> processId;
    for (const WindowCondition& condition : step.conditions) {
        if (condition.kind != Kind::Process && condition.kind != Kind::BoundProcess) continue;
        // The binding's own rule for 目标: the whole name, ignoring ASCII case, no wildcards.
        if (condition.kind == Kind::BoundProcess && bound_.empty()) return false;
        if (!processId) processId = system_.ReadWindow(window, WindowField::Process).processId;
        const Utf8Text name = processes_.Of(*processId);
        if (name.empty()) return false;
        const bool matches =
            condition.kind == Kind::Process
                ? MatchesUtf8Wildcard(name, condition.pattern, LetterCase::IgnoreAscii)
                : EqualIgnoringAsciiCase(name, bound_);
        if (!matches) return false;
    }
    std::optional<Utf8Text> className;
    for (const WindowCondition& condition : step.conditions) {
        if (condition.kind != Kind::Class) continue;
        if (!className) className = system_.ReadWindow(window, WindowField::Class).className;
        if (!MatchesUtf8Wildcard(*className, condition.pattern, LetterCase::IgnoreAscii))
            return false;
    }
    return system_.ReadWindow(window, WindowField::Visible).visible;
}

Utf8Text ProcessNames::Of(std::uint32_t processId) {
    for (const auto& [id, name] : names_)
        if (id == processId) return name;
    Utf8Text name = processId == 0 ? Utf8Text() : system_.ProcessName(processId);
    if (name.empty() && processId != 0) {
        if (!listed_) {
            listed_ = true;
            list_ = system_.SnapshotProcesses();
        }
        for (const ProcessEntry& process : list_)
            if (process.processId == processId) name = process.exeName;
    }
    names_.emplace_back(processId, name);
    return name;
}

bool IsWindowDescription(std::string_view argument) {
    if (argument == kTargetWord) return true;
    for (const std::string_view key : {kProcessKey, kTitleKey, kClassKey})
        for (const std::string_view colon : {std::string_view(":"), kWideColon})
            if (FindText(argument, std::string(key) + std::string(colon)) != std::string_view::npos)
                return true;
    return false;
}

ParsedWindowDescription ParseWindowDescription(std::string_view argument) {
    ParsedWindowDescription parsed;
    const Utf8Text whole = "窗口描述" + Quoted(argument);
    const auto fail = [&parsed](Utf8Text problem) {
        parsed.description = {};
        parsed.problem = std::move(problem);
        return parsed;
    };
    for (const std::string_view stepText : Pieces(argument, '>')) {
        const Ordinal ordinal = SplitOrdinal(stepText);
        WindowStep step;
        if (ordinal.number) {
            if (*ordinal.number < 1)
                return fail(whole + "里的序号" + Quoted(stepText.substr(ordinal.rest.size())) +
                            "不对：序号从 1 开始。");
            step.ordinal = static_cast<int>(*ordinal.number);
        }
        for (const std::string_view partText : Pieces(ordinal.rest, ';')) {
            // Spaces may stand around the key words; a title keeps its own to the end.
            const std::string_view part = TrimLeadingSpaces(partText);
            if (TrimSpaces(part).empty())
                return fail(whole + "里有空的部分：“;”和“>”的两边都要写上内容。");
            if (TrimSpaces(part) == kTargetWord) {
                step.conditions.push_back({WindowCondition::Kind::BoundProcess, {}});
                continue;
            }
            const Colon colon = FirstColon(part);
            const std::string_view key =
                TrimSpaces(part.substr(0, std::min(colon.at, part.size())));
            WindowCondition condition;
            if (key == kProcessKey) {
                condition.kind = WindowCondition::Kind::Process;
            } else if (key == kTitleKey) {
                condition.kind = WindowCondition::Kind::Title;
            } else if (key == kClassKey) {
                condition.kind = WindowCondition::Kind::Class;
            } else {
                return fail(whole + "里的" +
                            Quoted(colon.at == std::string_view::npos ? part : key) +
                            "不是关键词：可以写 进程:名称、标题:文字、类:名称 或 目标。");
            }
            if (colon.at == std::string_view::npos)
                return fail(whole + "里的" + Quoted(key) + "后面缺少冒号。");
            std::string_view value = part.substr(colon.at + colon.length);
            // Process and class names never end in spaces; a title may.
            if (condition.kind != WindowCondition::Kind::Title) value = TrimSpaces(value);
            if (value.empty()) return fail(whole + "里的" + Quoted(part) + "后面没有内容。");
            condition.pattern = GbkToUtf8(value);
            step.conditions.push_back(std::move(condition));
        }
        parsed.description.steps.push_back(std::move(step));
    }
    return parsed;
}

std::optional<NativeWindow> FindDescribedWindow(SystemPort& system,
                                                const WindowDescription& description,
                                                const Utf8Text& boundProcess) {
    if (description.steps.empty()) return std::nullopt;
    Finder finder(system, description, boundProcess);
    return finder.Find();
}

}  // namespace kavo
