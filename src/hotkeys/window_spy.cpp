#include "hotkeys/window_spy.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "commands/script_words.h"
#include "target_window/window_description.h"
#include "text/color_text.h"
#include "text/encoding.h"
#include "text/runtime_text.h"

namespace kavo {
namespace {

// The panel's title line holds about this many characters.
constexpr std::size_t kShownTitleCharacters = 24;
// A description keeps this much of a long title and lets "*" stand for the rest.
constexpr std::size_t kDescribedTitleCharacters = 60;

Utf8Text Shortened(const Utf8Text& text, std::size_t characters) {
    std::size_t pos = 0;
    for (std::size_t count = 0; pos < text.size() && count < characters; ++count)
        pos += Utf8CharLengthAt(text, pos);
    return pos < text.size() ? text.substr(0, pos) + "…" : text;
}

Utf8Text ProcessNameOf(SystemPort& system, std::uint32_t processId) {
    return ProcessNames(system).Of(processId);
}

// The text as a description's value: every character a GBK page holds and the language does
// not reserve (",", ")" end the argument or statement; ";", ">", "#" and "*" shape the
// description) stays; others stand as "?", which matches any one character. So does a space at
// either end of a name, which the parser would take away.
Utf8Text PatternOf(const Utf8Text& text, bool isName) {
    Utf8Text pattern;
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += Utf8CharLengthAt(text, pos), ++count) {
        if (!isName && count == kDescribedTitleCharacters) return pattern + "*";
        const std::string_view character(text.data() + pos, Utf8CharLengthAt(text, pos));
        const bool reserved =
            character.size() == 1 &&
            (static_cast<unsigned char>(character[0]) < 0x20 ||
             std::string_view(",);>#*").find(character[0]) != std::string_view::npos);
        const bool edgeSpace = isName && character == " " && (pos == 0 || pos + 1 == text.size());
        const bool heldByGbk = character == "?" || Utf8ToGbk(character) != "?";
        pattern += reserved || edgeSpace || !heldByGbk ? std::string_view("?") : character;
    }
    return pattern;
}

Utf8Text WithOrdinal(const Utf8Text& step, int ordinal) {
    return ordinal == 0 ? step : step + "#" + std::to_string(ordinal);
}

}  // namespace

PointerReading WindowSpy::Read() {
    PointerReading reading;
    reading.point = input_.GetCursorPos();
    reading.window = system_.WindowAtPoint(reading.point);
    if (reading.window != 0) {
        if (const std::optional<WindowEntry> entry = system_.DescribeWindow(reading.window)) {
            reading.className = entry->className;
            reading.title = entry->title;
            if (entry->processId != lastProcessId_) {
                lastProcessId_ = entry->processId;
                lastProcessName_ = ProcessNameOf(system_, entry->processId);
            }
            reading.processName = lastProcessName_;
        } else {
            reading.window = 0;
        }
    }
    reading.color = system_.PixelColorAt(reading.point);
    return reading;
}

SpyLines LinesOf(const PointerReading& reading) {
    SpyLines lines;
    if (reading.window != 0) {
        lines.handle = std::to_string(reading.window);
        lines.className = reading.className;
        lines.title = Shortened(reading.title, kShownTitleCharacters);
        lines.process = reading.processName;
    }
    if (reading.color) lines.color = PixelColorText(*reading.color);
    return lines;
}

Utf8Text PixelColorText(std::uint32_t color) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "#%02X%02X%02X", color & 0xFFu, (color >> 8) & 0xFFu,
                  (color >> 16) & 0xFFu);
    return ColorText(color) + " " + hex;
}

Utf8Text MoveStatementText(Point point) {
    return Statement(kWordMouseMove, std::to_string(point.x) + "," + std::to_string(point.y)) +
           "\r\n";
}

Utf8Text DescriptionOf(SystemPort& system, NativeWindow window) {
    const NativeWindow top = system.TopLevelWindowOf(window);
    const std::optional<WindowEntry> topEntry = system.DescribeWindow(top);
    if (top == 0 || !topEntry) return {};
    const Utf8Text process = ProcessNameOf(system, topEntry->processId);
    const Utf8Text titlePart = "标题:" + PatternOf(topEntry->title, false);
    const Utf8Text classPart = "类:" + PatternOf(topEntry->className, true);
    Utf8Text topStep;
    if (!process.empty())
        topStep = "进程:" + PatternOf(process, true) + ";" +
                  (topEntry->title.empty() ? classPart : titlePart);
    else
        topStep = topEntry->title.empty() ? classPart : classPart + ";" + titlePart;

    Utf8Text childStep;
    if (window != top) {
        const std::optional<WindowEntry> entry = system.DescribeWindow(window);
        if (!entry) return {};
        childStep = ">类:" + PatternOf(entry->className, true);
    }
    // "#n" only where an earlier window matches the same. Where it stands is counted in one walk
    // over the windows in front of it, the lookup's own order, with the lookup's own matching:
    // trying "#2", "#3", ... with a lookup each would ask the system thousands of questions
    // where many windows are alike.
    const ParsedWindowDescription parsed = ParseWindowDescription(Utf8ToGbk(topStep + childStep));
    if (!parsed.problem.empty()) return topStep + childStep;
    const std::vector<WindowStep>& steps = parsed.description.steps;
    WindowMatcher matcher(system, {});
    std::vector<NativeWindow> tops;  // the top-level windows that match, up to this one's
    system.VisitTopLevelWindows([&](NativeWindow candidate) {
        if (matcher.Meets(candidate, steps[0])) tops.push_back(candidate);
        return candidate != top;
    });
    // Not among them (a hidden window): the plain form still says what it is.
    if (tops.empty() || tops.back() != top) return topStep + childStep;
    const int topOrdinal = static_cast<int>(tops.size());
    if (childStep.empty()) return WithOrdinal(topStep, topOrdinal == 1 ? 0 : topOrdinal);
    // How many windows below parent match, up to until (and whether until is one of them), or up
    // to most (0: no limit).
    const auto matchesBelow = [&](NativeWindow parent, NativeWindow until, int most) {
        int matches = 0;
        bool untilMatches = false;
        system.VisitChildWindows(parent, [&](NativeWindow candidate) {
            const bool meets = matcher.Meets(candidate, steps[1]);
            if (meets) ++matches;
            if (candidate == until) {
                untilMatches = meets;
                return false;
            }
            return most == 0 || matches < most;
        });
        return std::pair(matches, untilMatches);
    };
    const auto [ordinal, matches] = matchesBelow(top, window, 0);
    if (!matches) return topStep + childStep;
    // Without "#" at the top level the lookup takes the first window there with that many
    // matches below it: the top-level ordinal is needed only when an earlier one has them.
    bool earlierHasThem = false;
    for (std::size_t i = 0; i + 1 < tops.size() && !earlierHasThem; ++i)
        earlierHasThem = matchesBelow(tops[i], 0, ordinal).first >= ordinal;
    return WithOrdinal(topStep, earlierHasThem ? topOrdinal : 0) +
           WithOrdinal(childStep, ordinal == 1 ? 0 : ordinal);
}

}  // namespace kavo
