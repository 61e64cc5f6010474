#include "hotkeys/window_description.h"

#include <string>
#include <unordered_map>

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

// Process names by process id, taken from one snapshot when the first window needs one.
class ProcessNames {
  public:
    explicit ProcessNames(SystemPort& system) : system_(system) {}
    const Utf8Text* Of(std::uint32_t processId) {
        if (!taken_) {
            taken_ = true;
            // Process id 0 is the idle process, which owns no windows.
            for (ProcessEntry& process : system_.SnapshotProcesses())
                if (process.processId != 0) names_.emplace(process.processId, process.exeName);
        }
        const auto found = names_.find(processId);
        return found == names_.end() ? nullptr : &found->second;
    }

  private:
    SystemPort& system_;
    bool taken_ = false;
    std::unordered_map<std::uint32_t, Utf8Text> names_;
};

class Finder {
  public:
    Finder(SystemPort& system, const WindowDescription& description, const Utf8Text& bound)
        : system_(system), steps_(description.steps), bound_(bound), processes_(system) {}

    // The window of step index among the candidates (a level's windows in enumeration order).
    std::optional<NativeWindow> Find(const std::vector<WindowEntry>& candidates,
                                     std::size_t index) {
        const WindowStep& step = steps_[index];
        const bool last = index + 1 == steps_.size();
        int matches = 0;
        for (const WindowEntry& window : candidates) {
            if (!window.visible || !Meets(window, step)) continue;
            if (step.ordinal > 0 && ++matches < step.ordinal) continue;
            if (last) return window.window;
            if (const auto below = Find(system_.EnumerateChildWindows(window.window), index + 1))
                return below;
            // "#n" names one window; without it the next window that matches is tried.
            if (step.ordinal > 0) return std::nullopt;
        }
        return std::nullopt;
    }

  private:
    bool Meets(const WindowEntry& window, const WindowStep& step) {
        // The texts first: the process snapshot is taken only when a window gets that far.
        for (const WindowCondition& condition : step.conditions) {
            if (condition.kind == WindowCondition::Kind::Title &&
                !MatchesUtf8Wildcard(window.title, condition.pattern, LetterCase::Exact))
                return false;
            if (condition.kind == WindowCondition::Kind::Class &&
                !MatchesUtf8Wildcard(window.className, condition.pattern, LetterCase::IgnoreAscii))
                return false;
        }
        for (const WindowCondition& condition : step.conditions) {
            if (condition.kind == WindowCondition::Kind::Process) {
                const Utf8Text* name = processes_.Of(window.processId);
                if (name == nullptr ||
                    !MatchesUtf8Wildcard(*name, condition.pattern, LetterCase::IgnoreAscii))
                    return false;
            }
            if (condition.kind == WindowCondition::Kind::BoundProcess) {
                // The binding's own rule: the whole name, ignoring ASCII case, no wildcards.
                if (bound_.empty()) return false;
                const Utf8Text* name = processes_.Of(window.processId);
                if (name == nullptr || !EqualIgnoringAsciiCase(*name, bound_)) return false;
            }
        }
        return true;
    }

    SystemPort& system_;
    const std::vector<WindowStep>& steps_;
    const Utf8Text& bound_;
    ProcessNames processes_;
};

}  // namespace

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
    return finder.Find(system.EnumerateTopLevelWindows(), 0);
}

}  // namespace kavo
