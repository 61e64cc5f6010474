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

void ScriptEngine::AddEntry(CommandEntry entry) {
    commands_.push_back(std::move(entry));
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

CompiledScript::CompiledScript() = default;
CompiledScript::CompiledScript(CompiledScript&&) noexcept = default;
CompiledScript& CompiledScript::operator=(CompiledScript&&) noexcept = default;
CompiledScript::~CompiledScript() = default;

const CommandEntry* ScriptEngine::BlockOpenedFor(std::string_view closingName) const {
    for (const CommandEntry& entry : commands_)
        if (entry.isLoop && !entry.blockEnd.empty() && SameBytes(entry.blockEnd, closingName))
            return &entry;
    return nullptr;
}

CompiledScript ScriptEngine::Compile(std::string_view text,
                                     std::vector<ScannedStatement>& statements) const {
    constexpr std::size_t kNone = CompiledScript::kNone;
    statements = ScanStatements(text);
    CompiledScript compiled;
    compiled.steps_.resize(statements.size());
    std::string nameBuffer;
    for (std::size_t index = 0; index < statements.size(); ++index) {
        const ScannedStatement& statement = statements[index];
        CompiledScript::Step& step = compiled.steps_[index];
        step.line = statement.line;
        const std::int32_t position = FindCommand(NameWithoutSpaces(statement.rawName, nameBuffer));
        if (position < 1 || static_cast<std::size_t>(position) > commands_.size()) continue;
        step.command = static_cast<std::size_t>(position) - 1;
        step.arguments = statement.arguments;
        if (commands_[step.command].isLoop) step.count = TextToNumber(statement.arguments);
    }
    // Pairs every block with its closing statement, the way a block's body becomes a script of
    // its own: the first statement written exactly as the closing word with the block's id
    // ("计次循环尾(id)", no spaces in its name) after the header and inside the range the header
    // stands in closes it; the body is then a range of its own, and the walk goes on after the
    // closing statement. An unclosed block ends its range: nothing after it in that range runs.
    // One pass with a stack of range ends, however deep blocks nest.
    // The closing statements by their word and id, in text order: a block finds its first one
    // after it by a binary search, so that pairing stays fast however many blocks a page has.
    // One list per closing word (a table has one), each by id.
    using ClosesById = std::unordered_map<std::string_view, std::vector<std::size_t>>;
    std::vector<std::pair<std::string_view, ClosesById>> closes;
    for (const CommandEntry& entry : commands_)
        if (entry.isLoop && !entry.blockEnd.empty())
            closes.emplace_back(entry.blockEnd, ClosesById());
    for (std::size_t index = 0; index < statements.size(); ++index)
        for (auto& [word, byId] : closes)
            if (SameBytes(statements[index].rawName, word)) {
                byId[statements[index].arguments].push_back(index);
                break;
            }
    std::vector<std::size_t> rangeEnds{statements.size()};
    for (std::size_t index = 0;;) {
        if (index >= rangeEnds.back()) {
            if (rangeEnds.size() == 1) break;
            index = rangeEnds.back() + 1;  // past the body's closing statement
            rangeEnds.pop_back();
            continue;
        }
        CompiledScript::Step& step = compiled.steps_[index];
        if (step.command == kNone || !commands_[step.command].isLoop) {
            ++index;
            continue;
        }
        step.close = kNone;
        for (const auto& [word, byId] : closes) {
            if (!SameBytes(word, commands_[step.command].blockEnd)) continue;
            const auto found = byId.find(NthArgument(statements[index].arguments, 2));
            if (found == byId.end()) break;
            const auto next = std::upper_bound(found->second.begin(), found->second.end(), index);
            if (next != found->second.end() && *next < rangeEnds.back()) step.close = *next;
            break;
        }
        if (step.close == kNone) {
            index = rangeEnds.back();
            continue;
        }
        compiled.steps_[step.close].closesBlock = true;
        rangeEnds.push_back(step.close);
        ++index;
    }
    return compiled;
}

PreparedScript ScriptEngine::Prepare(std::string_view script) const {
    auto text = std::make_unique<const std::string>(script);
    std::vector<ScannedStatement> statements;
    CompiledScript compiled = Compile(*text, statements);
    PreparedScript prepared;
    prepared.fault = CheckCompiled(statements, compiled);
    if (prepared.fault) return prepared;
    compiled.text_ = std::move(text);
    prepared.script = std::move(compiled);
    return prepared;
}

void ScriptEngine::Run(const CompiledScript& script) {
    RunScope scope(host_.runBegin, host_.runEnd);
    ExecuteRange(script, 0, script.steps_.size());
}

void ScriptEngine::RunScript(std::string_view script) {
    PreparedScript prepared = Prepare(script);
    if (prepared.fault) {
        ReportFault(*prepared.fault);
        return;
    }
    Run(*prepared.script);
}

void ScriptEngine::RepeatScript(std::int32_t count, std::string_view script) {
    std::vector<ScannedStatement> statements;
    const CompiledScript compiled = Compile(script, statements);
    for (std::int32_t round = 0; round < count; ++round) {
        RunScope scope(host_.runBegin, host_.runEnd);
        if (!ExecuteRange(compiled, 0, compiled.steps_.size())) return;
    }
}

std::vector<RuntimeText> ScriptEngine::SplitArguments(std::string_view text) const {
    std::vector<RuntimeText> parts;
    ForEachArgument(text, [&parts](std::string_view part) { parts.emplace_back(part); });
    return parts;
}

std::optional<ScriptFault> ScriptEngine::CheckScript(std::string_view script) const {
    std::vector<ScannedStatement> statements;
    const CompiledScript compiled = Compile(script, statements);
    return CheckCompiled(statements, compiled);
}

std::vector<ScriptFault> ScriptEngine::FindFaults(std::string_view script) const {
    std::vector<ScannedStatement> statements;
    const CompiledScript compiled = Compile(script, statements);
    std::vector<ScriptFault> faults;
    VisitFaults(statements, compiled, [&faults](ScriptFault fault) {
        faults.push_back(std::move(fault));
        return true;
    });
    return faults;
}

bool ScriptEngine::ExecuteRange(const CompiledScript& script, std::size_t begin, std::size_t end) {
    constexpr std::size_t kNone = CompiledScript::kNone;
    const std::vector<CompiledScript::Step>& steps = script.steps_;
    // The blocks being run, innermost last: each runs its body [next, end) round after round.
    // A loop over this list rather than recursion, so that no depth of nesting can exhaust the
    // thread's stack.
    struct Frame {
        std::size_t next;
        std::size_t end;
        std::size_t header;  // the block's header; kNone for the range the call was given
        std::int32_t round;
        std::int32_t count;
    };
    std::vector<Frame> frames{{begin, end, kNone, 0, 0}};
    // Cut anew for each call: a handler keeps its texts while it runs, even when it runs another
    // script, and a flat page needs no argument lists kept for all its statements at once.
    std::vector<RuntimeText> arguments;
    const std::function<bool(int)>& gate = host_.statementGate;
    while (!frames.empty()) {
        Frame& frame = frames.back();
        if (frame.next >= frame.end) {
            if (frame.header == kNone) {
                frames.pop_back();
                continue;
            }
            const CompiledScript::Step& header = steps[frame.header];
            if (++frame.round >= frame.count) {
                const std::size_t after = header.close + 1;
                frames.pop_back();
                frames.back().next = after;
                continue;
            }
            // Checked each round too, so that a stop also ends a block with an empty body.
            if (gate && !gate(header.line)) return false;
            frame.next = frame.header + 1;
            continue;
        }
        const std::size_t index = frame.next;
        const CompiledScript::Step& step = steps[index];
        // An unknown name (only reachable when a body is run without the check) does nothing.
        if (step.command == kNone) {
            ++frame.next;
            continue;
        }
        const CommandEntry& command = commands_[step.command];
        if (gate && !gate(step.line)) return false;
        if (!command.isLoop) {
            arguments.clear();
            ForEachArgument(step.arguments,
                            [&arguments](std::string_view part) { arguments.emplace_back(part); });
            if (command.argumentCount >= 0)
                arguments.resize(static_cast<std::size_t>(command.argumentCount));
            InvokeHandler(command.handler, arguments, command.argumentCount);
            ++frame.next;
            continue;
        }
        // The body's statements are gone over once each time the block is reached, dispatching
        // the thread's messages in between, so a long block keeps the windows alive.
        const bool closed = step.close != kNone && step.close < frame.end;
        const std::size_t bodyEnd = closed ? step.close : frame.end;
        for (std::size_t inner = index + 1; inner < bodyEnd; ++inner)
            if (host_.pump) host_.pump();
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
    std::optional<ScriptFault> first;
    VisitFaults(statements, compiled, [&first](ScriptFault fault) {
        first = std::move(fault);
        return false;
    });
    return first;
}

void ScriptEngine::VisitFaults(const std::vector<ScannedStatement>& statements,
                               const CompiledScript& compiled,
                               const std::function<bool(ScriptFault)>& visit) const {
    // A statement's fault is passed on; visit returns false to end the walk there.
    auto report = [&visit](const ScannedStatement& statement, const std::string& problem) {
        return visit(Fault(statement, problem));
    };
    for (std::size_t index = 0; index < statements.size(); ++index) {
        const CompiledScript::Step& step = compiled.steps_[index];
        if (step.closesBlock) continue;
        const ScannedStatement& statement = statements[index];
        if (step.command == CompiledScript::kNone) {
            const RuntimeText name(NameWithoutSpaces(statement.rawName));
            if (const CommandEntry* opener = BlockOpenedFor(name)) {
                const std::string end = GbkToUtf8(opener->blockEnd);
                const std::string open = GbkToUtf8(opener->name);
                if (!report(statement, "这个" + end + "没有与之配对的" + open + "。" + end +
                                           "前面不能有空格或其他文字，括号里的编号必须与对应" +
                                           open + "的第二个参数完全相同。"))
                    return;
                continue;
            }
            if (name.empty()) {
                if (!report(statement, "括号前面没有命令名。" + CommandList())) return;
                continue;
            }
            if (!report(statement, "“" + GbkToUtf8(name) + "”不是命令。" + CommandList())) return;
            continue;
        }
        const CommandEntry& entry = commands_[step.command];
        const std::size_t given = CountArguments(statement.arguments);
        if (!entry.isLoop) {
            if (entry.argumentCount > 0 && given < static_cast<std::size_t>(entry.argumentCount)) {
                if (!report(statement, GbkToUtf8(entry.name) + "需要" +
                                           std::to_string(entry.argumentCount) +
                                           "个参数，这里只有" + std::to_string(given) + "个。"))
                    return;
                continue;
            }
            if (entry.check) {
                // The texts the handler will be given, cut the way the run cuts them.
                std::vector<RuntimeText> arguments = SplitArguments(statement.arguments);
                if (entry.argumentCount >= 0)
                    arguments.resize(static_cast<std::size_t>(entry.argumentCount));
                if (std::optional<std::string> problem = entry.check(arguments)) {
                    if (!report(statement, *problem)) return;
                    continue;
                }
            }
            continue;
        }
        if (given < 2) {
            if (!report(statement, GbkToUtf8(entry.name) +
                                       "需要两个参数：重复次数和循环编号，例如“" +
                                       GbkToUtf8(entry.name) + "(3,1)”。"))
                return;
            continue;
        }
        // The body is checked even when the count makes it run no time: a typo is a typo.
        if (step.close == CompiledScript::kNone) {
            const std::string_view id = NthArgument(statement.arguments, 2);
            if (!report(statement, "这个" + GbkToUtf8(entry.name) + "没有配对的结束语句“" +
                                       GbkToUtf8(entry.blockEnd) + "(" + GbkToUtf8(id) +
                                       ")”。结束语句前面不能有空格或其他文字，编号必须完全相同。"))
                return;
            continue;
        }
    }
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
