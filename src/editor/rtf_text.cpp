#include "editor/rtf_text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <vector>

#include "text/encoding.h"

namespace kavo {
namespace {

// Destinations whose text is not shown.
constexpr std::array<std::string_view, 31> kHiddenDestinations = {
    "fonttbl",
    "colortbl",
    "stylesheet",
    "info",
    "pict",
    "object",
    "header",
    "headerl",
    "headerr",
    "headerf",
    "footer",
    "footerl",
    "footerr",
    "footerf",
    "footnote",
    "listtable",
    "listoverridetable",
    "rsidtbl",
    "generator",
    "themedata",
    "colorschememapping",
    "latentstyles",
    "datastore",
    "xmlnstbl",
    "fldinst",
    "filetbl",
    "revtbl",
    "pgdsctbl",
    "mmathPr",
    "bkmkstart",
    "bkmkend",
};

bool IsHiddenDestination(std::string_view word) {
    return std::find(kHiddenDestinations.begin(), kHiddenDestinations.end(), word) !=
           kHiddenDestinations.end();
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void AppendCodePoint(RuntimeText& out, unsigned codePoint) {
    std::string utf8;
    if (codePoint < 0x80) {
        utf8.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        utf8.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        utf8.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        // \u carries 16-bit values; a lone surrogate half has no character of its own.
        if (codePoint >= 0xD800 && codePoint <= 0xDFFF) codePoint = '?';
        utf8.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        utf8.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        utf8.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
    out += Utf8ToGbk(utf8);
}

struct GroupState {
    bool hidden = false;
    int unicodeSkip = 1;  // \ucN: fallback characters after each \uN
};

class RtfReader {
  public:
    explicit RtfReader(std::string_view rtf) : rtf_(rtf) {}

    RuntimeText Read() {
        while (pos_ < rtf_.size()) {
            const char c = rtf_[pos_];
            if (c == '{') {
                ++pos_;
                groups_.push_back(state_);
            } else if (c == '}') {
                ++pos_;
                if (groups_.empty()) break;  // the document's end
                state_ = groups_.back();
                groups_.pop_back();
                pendingSkip_ = 0;
            } else if (c == '\\') {
                ++pos_;
                ReadControl();
            } else if (c == '\r' || c == '\n') {
                ++pos_;  // line ends in the source are not text
            } else {
                ++pos_;
                Emit(std::string_view(&rtf_[pos_ - 1], 1));
            }
        }
        return std::move(out_);
    }

  private:
    void Emit(std::string_view bytes) {
        if (pendingSkip_ > 0) {
            --pendingSkip_;
            return;
        }
        if (!state_.hidden) out_.append(bytes);
    }

    void ReadControl() {
        if (pos_ >= rtf_.size()) return;
        const char c = rtf_[pos_];
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++pos_;
            ReadSymbol(c);
            return;
        }
        const std::size_t wordStart = pos_;
        while (pos_ < rtf_.size() && std::isalpha(static_cast<unsigned char>(rtf_[pos_]))) ++pos_;
        const std::string_view word = rtf_.substr(wordStart, pos_ - wordStart);
        bool hasParameter = false;
        bool negative = false;
        long parameter = 0;
        if (pos_ < rtf_.size() && rtf_[pos_] == '-') {
            negative = true;
            ++pos_;
        }
        while (pos_ < rtf_.size() && std::isdigit(static_cast<unsigned char>(rtf_[pos_]))) {
            hasParameter = true;
            parameter = std::min(parameter * 10 + (rtf_[pos_] - '0'), 1L << 24);
            ++pos_;
        }
        if (negative) parameter = -parameter;
        if (pos_ < rtf_.size() && rtf_[pos_] == ' ') ++pos_;  // the delimiter belongs to the word
        ReadWord(word, hasParameter, parameter);
    }

    void ReadSymbol(char c) {
        switch (c) {
            case '\'': {
                if (pos_ + 2 > rtf_.size()) return;
                const int high = HexValue(rtf_[pos_]);
                const int low = HexValue(rtf_[pos_ + 1]);
                if (high < 0 || low < 0) return;
                pos_ += 2;
                const char byte = static_cast<char>(high * 16 + low);
                Emit(std::string_view(&byte, 1));
                return;
            }
            case '*':
                state_.hidden = true;  // an optional destination this reader does not know
                return;
            case '~':
                Emit(" ");
                return;
            case '_':
                Emit("-");
                return;
            case '\r':
            case '\n':
                Emit("\r\n");
                return;
            case '\\':
            case '{':
            case '}':
                Emit(std::string_view(&rtf_[pos_ - 1], 1));
                return;
            default:
                return;  // \- (optional hyphen) and other symbols show nothing
        }
    }

    void ReadWord(std::string_view word, bool hasParameter, long parameter) {
        if (IsHiddenDestination(word)) {
            state_.hidden = true;
        } else if (word == "par" || word == "line" || word == "sect" || word == "page") {
            Emit("\r\n");
        } else if (word == "tab") {
            Emit("\t");
        } else if (word == "uc" && hasParameter) {
            state_.unicodeSkip = static_cast<int>(std::max(0L, parameter));
        } else if (word == "u" && hasParameter) {
            const auto codePoint =
                static_cast<unsigned>(parameter < 0 ? parameter + 65536 : parameter);
            if (pendingSkip_ > 0) {
                --pendingSkip_;
            } else if (!state_.hidden) {
                AppendCodePoint(out_, codePoint & 0xFFFF);
            }
            pendingSkip_ = state_.unicodeSkip;
        } else if (word == "bin" && hasParameter) {
            pos_ = std::min(rtf_.size(), pos_ + static_cast<std::size_t>(std::max(0L, parameter)));
        } else if (word == "emdash") {
            AppendShown(0x2014);
        } else if (word == "endash") {
            AppendShown(0x2013);
        } else if (word == "bullet") {
            AppendShown(0x2022);
        } else if (word == "lquote") {
            AppendShown(0x2018);
        } else if (word == "rquote") {
            AppendShown(0x2019);
        } else if (word == "ldblquote") {
            AppendShown(0x201C);
        } else if (word == "rdblquote") {
            AppendShown(0x201D);
        }
    }

    void AppendShown(unsigned codePoint) {
        if (pendingSkip_ > 0) {
            --pendingSkip_;
            return;
        }
        if (!state_.hidden) AppendCodePoint(out_, codePoint);
    }

    std::string_view rtf_;
    std::size_t pos_ = 0;
    GroupState state_;
    std::vector<GroupState> groups_;
    int pendingSkip_ = 0;
    RuntimeText out_;
};

}  // namespace

bool IsRtfDocument(std::string_view text) {
    return text.substr(0, 5) == "{\\rtf";
}

RuntimeText RtfDisplayText(std::string_view rtf) {
    return RtfReader(rtf).Read();
}

}  // namespace kavo
