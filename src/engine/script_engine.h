// The command table and the script runner: statements name(arguments) are matched line by line,
// looked up by name and handed to their handlers; 计次循环 … 计次循环尾 blocks are collected and
// repeated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/runtime_text.h"

namespace kavo {

struct ScannedStatement;

// Receives exactly argumentCount texts, in statement order. The result is not used by the
// engine.
using CommandHandler = std::function<std::int32_t(const std::vector<RuntimeText>& arguments)>;

// Looks at a statement's arguments (the texts its handler would receive) before the script
// runs; returns what is wrong with them (UTF-8, for the user), nothing when they are sound.
using ArgumentCheck =
    std::function<std::optional<std::string>(const std::vector<RuntimeText>& arguments)>;

struct CommandEntry {
    RuntimeText name;
    CommandHandler handler;
    std::int32_t argumentCount = 0;
    bool isLoop = false;
    ArgumentCheck check;  // none: any texts will do
};

// A fault found in a script before it runs. line counts from 1; statement is the statement as
// written (GBK); message is the whole Chinese text shown to the user (UTF-8).
struct ScriptFault {
    int line = 0;
    RuntimeText statement;
    std::string message;
};

class ScriptEngine {
  public:
    ScriptEngine();
    virtual ~ScriptEngine();
    ScriptEngine(const ScriptEngine&) = delete;
    ScriptEngine& operator=(const ScriptEngine&) = delete;

    virtual void AddCommand(RuntimeText name, CommandHandler handler, std::int32_t argumentCount,
                            bool isLoop = false);
    // Gives the command of that name a check of its arguments, made with the script's check:
    // a faulty argument stops the script before it runs, as a missing one does. Nothing
    // happens when no command has that name.
    void SetArgumentCheck(std::string_view name, ArgumentCheck check);
    // 1-based position of the first entry named exactly so; the table's length + 1 when none.
    virtual std::int32_t FindCommand(std::string_view name) const;
    // Calls handler with the first count texts of arguments.
    virtual std::int32_t InvokeHandler(const CommandHandler& handler,
                                       const std::vector<RuntimeText>& arguments,
                                       std::int32_t count) const;
    // Checks the whole script first; a faulty script is reported and nothing of it runs. The
    // text is scanned once; counted blocks run over their part of the scanned statements.
    virtual void RunScript(std::string_view script);
    // Runs the script count times without the check (as a block's body runs).
    virtual void RepeatScript(std::int32_t count, std::string_view script);
    virtual std::vector<RuntimeText> SplitArguments(std::string_view text) const;

    // The first fault of the script, if any.
    std::optional<ScriptFault> CheckScript(std::string_view script) const;
    // Shows a fault the way a faulty run does (for a check made before a run).
    void ReportFault(const ScriptFault& fault) const {
        if (reporter_) reporter_(fault);
    }

    const std::vector<CommandEntry>& Commands() const { return commands_; }

    // Dispatches the calling thread's pending messages while a block is collected.
    void SetEventPump(std::function<void()> pump) { pump_ = std::move(pump); }
    // Shows a fault to the user (a message box captioned "脚本错误").
    void SetFaultReporter(std::function<void(const ScriptFault&)> reporter) {
        reporter_ = std::move(reporter);
    }
    // Asked before each statement runs, with its line (from 1); false ends the run there, as a
    // stop does. Also asked before each round of a counted block.
    void SetStatementGate(std::function<bool(int line)> gate) { gate_ = std::move(gate); }
    // Called when an outermost run starts and ends on any thread (for fine timer resolution).
    void SetRunHooks(std::function<void()> begin, std::function<void()> end) {
        runBegin_ = std::move(begin);
        runEnd_ = std::move(end);
    }

  private:
    struct CompiledScript;
    // Looks every statement up once and pairs every block with its closing statement; the run
    // and the check both go by this.
    CompiledScript Compile(const std::vector<ScannedStatement>& statements) const;
    // False when the statement gate ended the run.
    bool ExecuteRange(const CompiledScript& script, std::size_t begin, std::size_t end);
    std::optional<ScriptFault> CheckCompiled(const std::vector<ScannedStatement>& statements,
                                             const CompiledScript& compiled) const;
    static ScriptFault Fault(const ScannedStatement& statement, const std::string& problem);
    std::string CommandList() const;

    std::vector<CommandEntry> commands_;
    std::function<void()> pump_;
    std::function<void(const ScriptFault&)> reporter_;
    std::function<bool(int)> gate_;
    std::function<void()> runBegin_;
    std::function<void()> runEnd_;
};

// Full-width characters to ASCII, then the number at the start read like atof, truncated toward
// zero to 64 bits and cut to its low 32 bits. 0 when the text starts with no number.
std::int32_t TextToNumber(std::string_view text);
// Full-width characters to ASCII, then the integer at the start read like atoi.
std::int32_t TextToInteger(std::string_view text);

}  // namespace kavo
