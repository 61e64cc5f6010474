#include "commands/run_texts.h"

#include <string>

#include "text/encoding.h"
#include "text/runtime_text.h"

namespace kavo {
namespace {

// The balloon holds 255 characters; a long statement is cut on a character boundary.
constexpr std::size_t kShownStatementBytes = 120;

// GBK text as the balloon shows it.
Utf8Text Shown(std::string_view gbk) {
    std::size_t kept = 0;
    while (kept < gbk.size() && kept + CharLengthAt(gbk, kept) <= kShownStatementBytes)
        kept += CharLengthAt(gbk, kept);
    Utf8Text text = GbkToUtf8(gbk.substr(0, kept));
    if (kept < gbk.size()) text += "…";
    return text;
}

}  // namespace

Utf8Text RunningTip(std::string_view stopKeyName) {
    return "KAVO脚本助手 - 运行中，按 " + std::string(stopKeyName) + " 停止";
}

Utf8Text IdleTip() {
    return "KAVO脚本助手";
}

Utf8Text StoppedTitle() {
    return "脚本已停止";
}

Utf8Text StoppedText(std::string_view script, int line) {
    if (line < 1 || !LineSpan(script, line)) return "脚本在第一条语句之前停止。";
    std::size_t begin = 0;
    for (int current = 1; current < line; ++current) begin = script.find('\n', begin) + 1;
    std::size_t end = script.find('\n', begin);
    if (end == std::string_view::npos) end = script.size();
    std::string_view written = script.substr(begin, end - begin);
    while (!written.empty() &&
           (written.back() == '\r' || written.back() == ' ' || written.back() == '\t'))
        written.remove_suffix(1);
    while (!written.empty() && (written.front() == ' ' || written.front() == '\t'))
        written.remove_prefix(1);
    return "停在第 " + std::to_string(line) + " 行：" + Shown(written);
}

Utf8Text WindowNotFoundText(std::string_view description, int line) {
    return "找不到窗口：" + Shown(description) + "（第 " + std::to_string(line) + " 行）";
}

Utf8Text WindowNotActivatedText(std::string_view window, int line) {
    return "无法把窗口切换到前台：" + Shown(window) + "（第 " + std::to_string(line) + " 行）";
}

Utf8Text WindowNotRespondingText(std::string_view window, int line) {
    return "窗口没有响应：" + Shown(window) + "（第 " + std::to_string(line) + " 行）";
}

Utf8Text WindowWaitTimedOutText(std::string_view description, std::int32_t waitedMs, int line) {
    return "等了 " + std::to_string(waitedMs) + " 毫秒，窗口没有出现：" + Shown(description) +
           "（第 " + std::to_string(line) + " 行）";
}

Utf8Text RunFailedText(const Utf8Text& what, int line) {
    Utf8Text text = "程序出错，脚本已停止";
    if (line > 0) text += "（第 " + std::to_string(line) + " 行）";
    return text + "：" + what;
}

std::optional<EditorSpan> LineSpan(std::string_view gbk, int line) {
    if (line < 1) return std::nullopt;
    // Lines end at LF, as the script's lines do; CR LF is one position in the editor.
    std::size_t position = 0;
    std::size_t pos = 0;
    for (int current = 1; current < line;) {
        if (pos >= gbk.size()) return std::nullopt;
        if (gbk[pos] == '\r' && pos + 1 < gbk.size() && gbk[pos + 1] == '\n') {
            pos += 2;
            ++current;
        } else {
            if (gbk[pos] == '\n') ++current;
            pos += CharLengthAt(gbk, pos);
        }
        ++position;
    }
    EditorSpan span{position, position};
    while (pos < gbk.size() && gbk[pos] != '\n' &&
           !(gbk[pos] == '\r' && pos + 1 < gbk.size() && gbk[pos + 1] == '\n')) {
        pos += CharLengthAt(gbk, pos);
        ++span.end;
    }
    return span;
}

}  // namespace kavo
