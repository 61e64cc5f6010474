// The command table and the script runner: statements name(arguments) are matched line by line,
// looked up by name and handed to their handlers; counted blocks (an opening statement, the body,
// the closing statement with the same id) are repeated. A script is prepared once (scanned,
// looked up, paired and checked) and then run from what was prepared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
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
    // isLoop: the name of the statement that closes the block, its argument being the block's
    // id. The closing word is no command of its own.
    RuntimeText blockEnd;
};

// A fault found in a script before it runs. line counts from 1; statement is the statement as
// written (GBK); message is the whole Chinese text shown to the user (UTF-8).
struct ScriptFault {
    int line = 0;
    RuntimeText statement;
    std::string message;
};

// What the engine asks of the program around it; any of them may be empty.
struct EngineHost {
    // Dispatches the calling thread's pending messages while a block is collected.
    std::function<void()> pump;
    // Shows a fault to the user (a message box captioned "脚本错误").
    std::function<void(const ScriptFault&)> reportFault;
    // Asked before each statement runs, with its line (from 1); false ends the run there, as a
    // stop does. Also asked before each round of a counted block.
    std::function<bool(int line)> statementGate;
    // Called when an outermost run starts and ends on any thread (for fine timer resolution).
    std::function<void()> runBegin;
    std::function<void()> runEnd;
};

// A script scanned, looked up and paired once: what Run carries out, as often as wanted and on
// any thread, without reading the text again. It holds its own copy of the text and refers to
// the commands of the engine that made it by position.
class CompiledScript {
  public:
    CompiledScript(CompiledScript&&) noexcept;
    CompiledScript& operator=(CompiledScript&&) noexcept;
    ~CompiledScript();

    // How many statements the script has.
    std::size_t Size() const { return steps_.size(); }

  private:
    friend class ScriptEngine;
    struct Step {
        std::size_t command = kNone;  // index into the engine's table; kNone: an unknown name
        std::string_view arguments;   // the text between the brackets
        std::int32_t count = 0;       // a block's repetitions
        // A block's closing statement; kNone when none closes it within the range it stands in.
        std::size_t close = kNone;
        bool closesBlock = false;  // this statement is a block's closing statement
        int line = 0;
    };
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    CompiledScript();

    // Kept apart from the object so that the views into it stay valid when it moves.
    std::unique_ptr<const std::string> text_;
    std::vector<Step> steps_;
};

// What Prepare makes of a script: the compiled script when it passes the check, else the first
// fault the check found (exactly one of the two is set).
struct PreparedScript {
    std::optional<CompiledScript> script;
    std::optional<ScriptFault> fault;
};

class ScriptEngine {
  public:
    ScriptEngine();
    virtual ~ScriptEngine();
    ScriptEngine(const ScriptEngine&) = delete;
    ScriptEngine& operator=(const ScriptEngine&) = delete;

    virtual void AddCommand(RuntimeText name, CommandHandler handler, std::int32_t argumentCount,
                            bool isLoop = false);
    // Appends a whole entry: a block's opening word with the word that closes it, a check.
    void AddEntry(CommandEntry entry);
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
    // Prepare, then Run; a faulty script is reported and nothing of it runs.
    virtual void RunScript(std::string_view script);
    // Runs the script count times without the check (as a block's body runs).
    virtual void RepeatScript(std::int32_t count, std::string_view script);
    virtual std::vector<RuntimeText> SplitArguments(std::string_view text) const;

    // Scans the script once, looks every statement up, pairs every block with its closing
    // statement and checks the whole; any thread.
    PreparedScript Prepare(std::string_view script) const;
    // Carries out a script this engine prepared, on the calling thread.
    void Run(const CompiledScript& script);

    // The first fault of the script, if any (what Prepare would refuse it for).
    std::optional<ScriptFault> CheckScript(std::string_view script) const;
    // Every fault of the script, in text order: the same rules, going on past each fault.
    std::vector<ScriptFault> FindFaults(std::string_view script) const;
    // Shows a fault the way a faulty run does (for a script prepared before a run).
    void ReportFault(const ScriptFault& fault) const {
        if (host_.reportFault) host_.reportFault(fault);
    }

    const std::vector<CommandEntry>& Commands() const { return commands_; }

    // Set once, before the first run.
    void SetHost(EngineHost host) { host_ = std::move(host); }
    const EngineHost& Host() const { return host_; }

  private:
    // steps of statements, scanned from text (which the result's views point into).
    CompiledScript Compile(std::string_view text, std::vector<ScannedStatement>& statements) const;
    // False when the statement gate ended the run.
    bool ExecuteRange(const CompiledScript& script, std::size_t begin, std::size_t end);
    std::optional<ScriptFault> CheckCompiled(const std::vector<ScannedStatement>& statements,
                                             const CompiledScript& compiled) const;
    void VisitFaults(const std::vector<ScannedStatement>& statements,
                     const CompiledScript& compiled,
                     const std::function<bool(ScriptFault)>& visit) const;
    // The entry whose block a statement of this name closes; nullptr when none.
    const CommandEntry* BlockOpenedFor(std::string_view closingName) const;
    static ScriptFault Fault(const ScannedStatement& statement, const std::string& problem);
    std::string CommandList() const;

    std::vector<CommandEntry> commands_;
    EngineHost host_;
};

// Full-width characters to ASCII, then the number at the start read like atof, truncated toward
// zero to 64 bits and cut to its low 32 bits. 0 when the text starts with no number.
std::int32_t TextToNumber(std::string_view text);
// Full-width characters to ASCII, then the integer at the start read like atoi.
std::int32_t TextToInteger(std::string_view text);

}  // namespace kavo
