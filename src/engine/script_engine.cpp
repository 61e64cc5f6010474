#include "engine/script_engine.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <limits>
#include <unordered_map>
#include <utility>

#include "engine/statement_scan.h"
#include "text/encoding.h"

namespace kavo {

namespace {

// 计次循环尾: closes a counted block. It has no table entry; the executor recognises it by its
// raw name.
constexpr std::string_view kBlockEnd = "\xBC\xC6\xB4\xCE\xD1\xAD\xBB\xB7\xCE\xB2";

// Per thread: how deep runs are nested; the outermost one holds the run hooks.
thread_local int tRunDepth = 0;

// Keeps the outermost run's begin and end hooks paired, even when a handler throws.
class RunScope {
  public:
    RunScope(const std::function<void()>& begin, const std::function<void()>& end) : end_(end) {
        if (tRunDepth++ == 0 && begin) begin();
    }
    ~RunScope() {
        if (--tRunDepth == 0 && end_) end_();
    }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

  private:
    const std::function<void()>& end_;
};

std::string StatementText(const ScannedStatement& statement) {
    RuntimeText text(statement.rawName);
    text += '(';
    text += statement.arguments;
    text += ')';
    return text;
}

}  // namespace

ScriptEngine::ScriptEngine() = default;
ScriptEngine::~ScriptEngine() = default;

void ScriptEngine::AddCommand(RuntimeText name, CommandHandler handler, std::int32_t argumentCount,
                              bool isLoop) {
    commands_.push_back(CommandEntry{std::move(name), std::move(handler), argumentCount, isLoop});
}

void ScriptEngine::SetArgumentCheck(std::string_view name, ArgumentCheck check) {
    for (CommandEntry& entry : commands_)
        if (SameBytes(entry.name, name)) {
            entry.check = std::move(check);
            return;
        }
}

std::int32_t ScriptEngine::FindCommand(std::string_view name) const {
    std::int32_t position = 1;
    for (const CommandEntry& entry : commands_) {
        if (SameBytes(entry.name, name)) return position;
        ++position;
    }
    return position;
}

std::int32_t ScriptEngine::InvokeHandler(const CommandHandler& handler,
                                         const std::vector<RuntimeText>& arguments,
                                         std::int32_t count) const {
    if (!handler) return 0;
    const std::size_t wanted = count > 0 ? static_cast<std::size_t>(count) : 0;
    if (arguments.size() == wanted) return handler(arguments);
    // Fewer texts than the command takes: the missing ones are empty, never read past the list.
    std::vector<RuntimeText> passed(wanted);
    std::copy_n(arguments.begin(), std::min(wanted, arguments.size()), passed.begin());
    return handler(passed);
}

// A script scanned once: its statements with what each needs at run time, resolved before the
// first statement runs. A counted block runs over its part of this list, however often it
// repeats; no text is joined or scanned again.
struct ScriptEngine::CompiledScript {
    struct Step {
        const CommandEntry* command = nullptr;  // nullptr: an unknown name, skipped
        std::string_view arguments;             // the text between the brackets
        std::int32_t count = 0;                 // a block's repetitions
        // A block's closing statement; npos when none closes it within the range it stands in.
        std::size_t close = std::string_view::npos;
        bool closesBlock = false;  // this statement is a block's closing statement
        int line = 0;
    };
    std::vector<Step> steps;
};

ScriptEngine::CompiledScript ScriptEngine::Compile(
    const std::vector<ScannedStatement>& statements) const {
    constexpr std::size_t npos = std::string_view::npos;
    CompiledScript compiled;
    compiled.steps.resize(statements.size());
    std::string nameBuffer;
    for (std::size_t index = 0; index < statements.size(); ++index) {
        const ScannedStatement& statement = statements[index];
        CompiledScript::Step& step = compiled.steps[index];
        step.line = statement.line;
        const std::int32_t position = FindCommand(NameWithoutSpaces(statement.rawName, nameBuffer));
        if (position < 1 || static_cast<std::size_t>(position) > commands_.size()) continue;
        step.command = &commands_[static_cast<std::size_t>(position) - 1];
        step.arguments = statement.arguments;
        if (step.command->isLoop) step.count = TextToNumber(statement.arguments);
    }
    // Pairs every block with its closing statement, the way a block's body becomes a script of
    // its own: the first statement written exactly "计次循环尾(id)" (no spaces in its name) after
    // the header and inside the range the header stands in closes it; the body is then a range
    // of its own, and the walk goes on after the closing statement. An unclosed block ends its
    // range: nothing after it in that range runs. One pass with a stack of range ends, however
    // deep blocks nest.
    // The closing statements by their id, in text order: a block finds its first one after it
    // by a binary search, so that pairing stays fast however many blocks a page has.
    std::unordered_map<std::string_view, std::vector<std::size_t>> closesById;
    for (std::size_t index = 0; index < statements.size(); ++index)
        if (SameBytes(statements[index].rawName, kBlockEnd))
            closesById[statements[index].arguments].push_back(index);
    std::vector<std::size_t> rangeEnds{statements.size()};
    for (std::size_t index = 0;;) {
        if (index >= rangeEnds.back()) {
            if (rangeEnds.size() == 1) break;
            index = rangeEnds.back() + 1;  // past the body's closing statement
            rangeEnds.pop_back();
            continue;
        }
        CompiledScript::Step& step = compiled.steps[index];
        if (step.command == nullptr || !step.command->isLoop) {
            ++index;
            continue;
        }
        step.close = npos;
        const auto closes = closesById.find(NthArgument(statements[index].arguments, 2));
        if (closes != closesById.end()) {
            const auto next = std::upper_bound(closes->second.begin(), closes->second.end(), index);
            if (next != closes->second.end() && *next < rangeEnds.back()) step.close = *next;
        }
        if (step.close == npos) {
            index = rangeEnds.back();
            continue;
        }
        compiled.steps[step.close].closesBlock = true;
        rangeEnds.push_back(step.close);
        ++index;
    }
    return compiled;
}

void ScriptEngine::RunScript(std::string_view script) {
    const std::vector<ScannedStatement> statements = ScanStatements(script);
    const CompiledScript compiled = Compile(statements);
    if (std::optional<ScriptFault> fault = CheckCompiled(statements, compiled)) {
        if (reporter_) reporter_(*fault);
        return;
    }
    RunScope scope(runBegin_, runEnd_);
    ExecuteRange(compiled, 0, compiled.steps.size());
}

void ScriptEngine::RepeatScript(std::int32_t count, std::string_view script) {
    const CompiledScript compiled = Compile(ScanStatements(script));
    for (std::int32_t round = 0; round < count; ++round) {
        RunScope scope(runBegin_, runEnd_);
        if (!ExecuteRange(compiled, 0, compiled.steps.size())) return;
    }
}

std::vector<RuntimeText> ScriptEngine::SplitArguments(std::string_view text) const {
    std::vector<RuntimeText> parts;
    ForEachArgument(text, [&parts](std::string_view part) { parts.emplace_back(part); });
    return parts;
}

std::optional<ScriptFault> ScriptEngine::CheckScript(std::string_view script) const {
    const std::vector<ScannedStatement> statements = ScanStatements(script);
    return CheckCompiled(statements, Compile(statements));
}

bool ScriptEngine::ExecuteRange(const CompiledScript& script, std::size_t begin, std::size_t end) {
    constexpr std::size_t npos = std::string_view::npos;
    // The blocks being run, innermost last: each runs its body [next, end) round after round.
    // A loop over this list rather than recursion, so that no depth of nesting can exhaust the
    // thread's stack.
    struct Frame {
        std::size_t next;
        std::size_t end;
        std::size_t header;  // the block's header; npos for the range the call was given
        std::int32_t round;
        std::int32_t count;
    };
    std::vector<Frame> frames{{begin, end, npos, 0, 0}};
    // Cut anew for each call: a handler keeps its texts while it runs, even when it runs another
    // script, and a flat page needs no argument lists kept for all its statements at once.
    std::vector<RuntimeText> arguments;
    while (!frames.empty()) {
        Frame& frame = frames.back();
        if (frame.next >= frame.end) {
            if (frame.header == npos) {
                frames.pop_back();
                continue;
            }
            const CompiledScript::Step& header = script.steps[frame.header];
            if (++frame.round >= frame.count) {
                const std::size_t after = header.close + 1;
                frames.pop_back();
                frames.back().next = after;
                continue;
            }
            // Checked each round too, so that a stop also ends a block with an empty body.
            if (gate_ && !gate_(header.line)) return false;
            frame.next = frame.header + 1;
            continue;
        }
        const std::size_t index = frame.next;
        const CompiledScript::Step& step = script.steps[index];
        // An unknown name (only reachable when a body is run without the check) does nothing.
        if (step.command == nullptr) {
            ++frame.next;
            continue;
        }
        if (gate_ && !gate_(step.line)) return false;
        if (!step.command->isLoop) {
            arguments.clear();
            ForEachArgument(step.arguments,
                            [&arguments](std::string_view part) { arguments.emplace_back(part); });
            if (step.command->argumentCount >= 0)
                arguments.resize(static_cast<std::size_t>(step.command->argumentCount));
            InvokeHandler(step.command->handler, arguments, step.command->argumentCount);
            ++frame.next;
            continue;
        }
        // The body's statements are gone over once each time the block is reached, dispatching
        // the thread's messages in between, so a long block keeps the windows alive.
        const bool closed = step.close != npos && step.close < frame.end;
        const std::size_t bodyEnd = closed ? step.close : frame.end;
        for (std::size_t inner = index + 1; inner < bodyEnd; ++inner)
            if (pump_) pump_();
        // A block that is never closed has no defined extent; running what was gathered would
        // repeat the rest of the range, so the range ends here (the check refuses such scripts).
        if (!closed) {
            frame.next = frame.end;
            continue;
        }
        if (step.count <= 0) {
            frame.next = step.close + 1;
            continue;
        }
        frames.push_back({index + 1, step.close, index, 0, step.count});
    }
    return true;
}

// Walks the statements in the order the run reaches them, with the pairing the run uses, so
// that a script that passes can never reach the executor's fallbacks.
std::optional<ScriptFault> ScriptEngine::CheckCompiled(
    const std::vector<ScannedStatement>& statements, const CompiledScript& compiled) const {
    for (std::size_t index = 0; index < statements.size(); ++index) {
        const CompiledScript::Step& step = compiled.steps[index];
        if (step.closesBlock) continue;
        const ScannedStatement& statement = statements[index];
        if (step.command == nullptr) {
            const RuntimeText name(NameWithoutSpaces(statement.rawName));
            if (name == kBlockEnd)
                return Fault(statement,
                             "这个计次循环尾没有与之配对的计次循环。计次循环尾前面不能有空格或"
                             "其他文字，括号里的编号必须与对应计次循环的第二个参数完全相同。");
            if (name.empty()) return Fault(statement, "括号前面没有命令名。" + CommandList());
            return Fault(statement, "“" + GbkToUtf8(name) + "”不是命令。" + CommandList());
        }
        const CommandEntry& entry = *step.command;
        const std::size_t given = CountArguments(statement.arguments);
        if (!entry.isLoop) {
            if (entry.argumentCount > 0 && given < static_cast<std::size_t>(entry.argumentCount))
                return Fault(statement, GbkToUtf8(entry.name) + "需要" +
                                            std::to_string(entry.argumentCount) +
                                            "个参数，这里只有" + std::to_string(given) + "个。");
            if (entry.check) {
                // The texts the handler will be given, cut the way the run cuts them.
                std::vector<RuntimeText> arguments = SplitArguments(statement.arguments);
                if (entry.argumentCount >= 0)
                    arguments.resize(static_cast<std::size_t>(entry.argumentCount));
                if (std::optional<std::string> problem = entry.check(arguments))
                    return Fault(statement, *problem);
            }
            continue;
        }
        if (given < 2)
            return Fault(statement, GbkToUtf8(entry.name) +
                                        "需要两个参数：重复次数和循环编号，例如“" +
                                        GbkToUtf8(entry.name) + "(3,1)”。");
        // The body is checked even when the count makes it run no time: a typo is a typo.
        if (step.close == std::string_view::npos) {
            const std::string_view id = NthArgument(statement.arguments, 2);
            return Fault(statement, "这个计次循环没有配对的结束语句“" + GbkToUtf8(kBlockEnd) + "(" +
                                        GbkToUtf8(id) +
                                        ")”。结束语句前面不能有空格或其他文字，编号必须完全相同。");
        }
    }
    return std::nullopt;
}

ScriptFault ScriptEngine::Fault(const ScannedStatement& statement, const std::string& problem) {
    ScriptFault fault;
    fault.line = statement.line;
    fault.statement = StatementText(statement);
    fault.message = "第" + std::to_string(statement.line) + "行：" + GbkToUtf8(fault.statement) +
                    "\n" + problem + "\n\n脚本没有运行。";
    return fault;
}

std::string ScriptEngine::CommandList() const {
    if (commands_.empty()) return {};
    std::string list = "命令有：";
    for (std::size_t index = 0; index < commands_.size(); ++index) {
        if (index > 0) list += "、";
        list += GbkToUtf8(commands_[index].name);
    }
    return list + "。";
}

namespace {

// The number at the start of text the way atof reads it, as a double; 0 when there is none.
// The accepted form is exactly: white space, sign, digits with an optional point and fraction,
// an optional exponent. Words such as inf or nan and hexadecimal forms are not numbers here.
double LeadingDecimal(std::string_view text) {
    std::size_t pos = 0;
    auto isSpace = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    };
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    while (pos < text.size() && isSpace(text[pos])) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::size_t start = pos;
    std::size_t digits = 0;
    while (pos < text.size() && isDigit(text[pos])) ++pos, ++digits;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        while (pos < text.size() && isDigit(text[pos])) ++pos, ++digits;
    }
    if (digits == 0) return 0.0;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t exponent = pos + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
        if (exponent < text.size() && isDigit(text[exponent])) {
            pos = exponent;
            while (pos < text.size() && isDigit(text[pos])) ++pos;
        }
    }
    double value = 0.0;
    const auto result =
        std::from_chars(text.data() + start, text.data() + pos, value, std::chars_format::general);
    // Out of range either way: an overflow would be infinite and an underflow is below any
    // integer, and both end as 0 in TextToNumber.
    if (result.ec != std::errc()) return 0.0;
    return negative ? -value : value;
}

}  // namespace

std::int32_t TextToNumber(std::string_view text) {
    const double value = LeadingDecimal(FullWidthToAscii(text));
    // Truncation toward zero to 64 bits; a value outside that range (or not a number) becomes
    // the processor's "integer indefinite" 0x8000000000000000, whose low 32 bits are 0.
    constexpr double kTwoTo63 = 9223372036854775808.0;
    if (!(value >= -kTwoTo63 && value < kTwoTo63)) return 0;
    const auto wide = static_cast<std::int64_t>(value);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(wide)));
}

std::int32_t TextToInteger(std::string_view text) {
    const RuntimeText ascii = FullWidthToAscii(text);
    std::size_t pos = 0;
    while (pos < ascii.size() && (ascii[pos] == ' ' || (ascii[pos] >= '\t' && ascii[pos] <= '\r')))
        ++pos;
    bool negative = false;
    if (pos < ascii.size() && (ascii[pos] == '+' || ascii[pos] == '-')) {
        negative = ascii[pos] == '-';
        ++pos;
    }
    // Out-of-range values saturate, as the Windows C library's atoi does.
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    while (pos < ascii.size() && ascii[pos] >= '0' && ascii[pos] <= '9') {
        magnitude = std::min<std::int64_t>(magnitude * 10 + (ascii[pos] - '0'), kLimit);
        ++pos;
    }
    const std::int64_t value =
        negative ? -magnitude : std::min<std::int64_t>(magnitude, kLimit - 1);
    return static_cast<std::int32_t>(value);
}

}  // namespace kavo
