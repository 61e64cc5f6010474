#include "app/command_line_run.h"

#include <string>

#include "commands/run_texts.h"
#include "library/page_encoding.h"
#include "text/encoding.h"

namespace kavo {
namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

bool EndsWithTxt(std::string_view name) {
    return name.size() >= 4 && EqualsIgnoringAsciiCase(name.substr(name.size() - 4), ".txt");
}

// A plain name of one file or folder: not empty, not "." or "..", none of the characters the
// file system refuses in a name, no trailing dot or space (the system would drop them and name
// another entry).
bool PlainName(std::string_view part) {
    if (part.empty() || part == "." || part == "..") return false;
    if (part.find_first_of(":*?\"<>|\\/") != std::string_view::npos) return false;
    for (const char c : part)
        if (static_cast<unsigned char>(c) < 0x20) return false;
    return part.back() != '.' && part.back() != ' ';
}

bool IsAbsolute(std::string_view path) {
    const bool drive = path.size() >= 3 &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                       path[1] == ':' && path[2] == '\\';
    return drive || (path.size() > 2 && path[0] == '\\' && path[1] == '\\');
}

std::string_view CommandName(CommandLineMode mode) {
    switch (mode) {
        case CommandLineMode::Run:
            return "/run";
        case CommandLineMode::Check:
            return "/check";
        case CommandLineMode::Window:
            break;
    }
    return "";
}

}  // namespace

CommandLineRequest ParseCommandLine(const std::vector<Utf8Text>& arguments) {
    CommandLineRequest request;
    if (arguments.empty()) return request;
    std::string_view command = arguments.front();
    if (command.size() < 2 || (command[0] != '/' && command[0] != '-')) return request;
    command.remove_prefix(1);
    if (EqualsIgnoringAsciiCase(command, "run")) {
        request.mode = CommandLineMode::Run;
    } else if (EqualsIgnoringAsciiCase(command, "check")) {
        request.mode = CommandLineMode::Check;
    } else {
        return request;
    }
    // An unquoted page name with spaces arrives as several arguments.
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i].empty()) continue;
        if (!request.page.empty()) request.page += ' ';
        request.page += arguments[i];
    }
    request.missingPage = request.page.empty();
    return request;
}

std::optional<Utf8Text> ResolvePageArgument(const Utf8Text& contentRoot, const Utf8Text& page) {
    Utf8Text name = page;
    for (char& c : name)
        if (c == '/') c = '\\';
    if (IsAbsolute(name)) {
        if (!EndsWithTxt(name)) return std::nullopt;
        // Every part after the drive or the server must be a plain name: "..\" cannot lead out.
        std::string_view rest(name);
        rest.remove_prefix(rest[0] == '\\' ? 2 : 3);
        for (;;) {
            const std::size_t cut = rest.find('\\');
            if (!PlainName(rest.substr(0, cut))) return std::nullopt;
            if (cut == std::string_view::npos) break;
            rest.remove_prefix(cut + 1);
        }
        return name;
    }
    const std::size_t cut = name.find('\\');
    if (cut == Utf8Text::npos || name.find('\\', cut + 1) != Utf8Text::npos) return std::nullopt;
    const std::string_view directory = std::string_view(name).substr(0, cut);
    std::string_view file = std::string_view(name).substr(cut + 1);
    if (!PlainName(directory) || !PlainName(file)) return std::nullopt;
    if (directory.front() == '.') return std::nullopt;  // dot folders are not in the library
    Utf8Text path = contentRoot + Utf8Text(directory) + "\\" + Utf8Text(file);
    if (!EndsWithTxt(file)) path += ".txt";
    return path;
}

Utf8Text RunLogPath(const Utf8Text& programFolder) {
    return programFolder + "\\kavo-run.log";
}

Utf8Text OlderRunLogPath(const Utf8Text& programFolder) {
    return RunLogPath(programFolder) + ".1";
}

namespace {

// A field as the log writes it: a tab, a line break or any other control character would break
// the line's tab-separated fields, so each is written as an escape, and so is the backslash that
// begins one: "\t", "\n", "\r", "\\", and "\xNN" (two hexadecimal digits) for the others.
void AppendLogField(Utf8Text& line, std::string_view field) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : field) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            line += "\\\\";
        } else if (c == '\t') {
            line += "\\t";
        } else if (c == '\n') {
            line += "\\n";
        } else if (c == '\r') {
            line += "\\r";
        } else if (byte < 0x20 || byte == 0x7F) {
            line += "\\x";
            line += kHex[byte >> 4];
            line += kHex[byte & 0xF];
        } else {
            line += c;
        }
    }
}

}  // namespace

RuntimeText RunLogLine(std::string_view time, CommandLineMode mode, const Utf8Text& page,
                       const RunReport& report) {
    Utf8Text line;
    AppendLogField(line, time);
    line += '\t';
    AppendLogField(line, CommandName(mode));
    line += '\t';
    AppendLogField(line, page);
    line += '\t';
    AppendLogField(line, std::to_string(static_cast<int>(report.outcome)));
    line += '\t';
    AppendLogField(line, report.reason);
    return Utf8ToGbk(line) + "\r\n";
}

namespace {

RunReport CheckAndRun(const CommandLineRequest& request, CommandLineRunPorts& ports) {
    if (request.missingPage)
        return {RunOutcome::BadCommandLine, "命令行缺少页面：kavo.exe /run 目录\\页面"};
    const Utf8Text contentRoot = ports.files.ExecutableFolder() + "\\content\\";
    const std::optional<Utf8Text> path = ResolvePageArgument(contentRoot, request.page);
    if (!path) return {RunOutcome::PageMissing, "页面名称无效：" + request.page};
    const std::optional<std::string> bytes =
        ports.files.IsDirectory(*path) ? std::nullopt : ports.files.ReadWholeFile(*path);
    if (!bytes) return {RunOutcome::PageMissing, "找不到页面或无法读取：" + *path};
    // As the library loads a page: its text ends at the first zero byte, and a UTF-8 page runs
    // as GBK.
    const RuntimeText script = PageTextForRunning(*bytes);
    const PreparedScript prepared = ports.engine.Prepare(script);
    if (prepared.fault) return {RunOutcome::ScriptFault, "脚本错误：" + prepared.fault->message};
    if (request.mode == CommandLineMode::Check) return {RunOutcome::Completed, "检查通过"};

    const RunResult result = ports.control.Run([&] { ports.engine.Run(*prepared.script); });
    if (result.Failed())
        return {RunOutcome::ProgramFailed, RunFailedText(result.failure, result.line)};
    if (!result.stopped) return {RunOutcome::Completed, "运行完毕"};
    // A run that stopped itself says why (a window it names is not there).
    if (!result.reason.empty()) return {RunOutcome::WindowNotFound, result.reason};
    return {RunOutcome::Stopped, "已停止，" + StoppedText(script, result.line)};
}

}  // namespace

RunReport RunFromCommandLine(const CommandLineRequest& request, CommandLineRunPorts& ports) {
    ports.logged = false;  // a new request
    const RunReport report = CheckAndRun(request, ports);
    LogRunOnce(request, ports, report);
    return report;
}

bool LogRunOnce(const CommandLineRequest& request, CommandLineRunPorts& ports,
                const RunReport& report) {
    if (ports.logged.exchange(true)) return false;
    const Utf8Text time = ports.now ? ports.now() : Utf8Text();
    RunReport logged = report;
    if (!ports.logNote.empty()) logged.reason += "；注意：" + ports.logNote;
    const RuntimeText line = RunLogLine(time, request.mode, request.page, logged);
    const Utf8Text folder = ports.files.ExecutableFolder();
    const Utf8Text log = RunLogPath(folder);
    if (const std::optional<FileStamp> stamp = ports.files.StampOf(log);
        stamp && stamp->size + line.size() > kRunLogLimitBytes) {
        // While another run appends to it the rename fails: this line goes to the long log and
        // a later run rolls it over.
        const Utf8Text older = OlderRunLogPath(folder);
        ports.files.RemoveFile(older);
        ports.files.RenamePath(log, older);
    }
    ports.files.AppendToFile(log, line);
    return true;
}

RunReport EndedFromOutsideReport() {
    return {RunOutcome::Stopped, "已停止：程序被要求关闭（关机、注销或结束任务）"};
}

}  // namespace kavo
