#include "library/page_names.h"

#include <string>

#include <algorithm>
#include <array>
#include <string_view>

#include "text/runtime_text.h"

namespace kavo {
namespace {

constexpr std::string_view kForbiddenCharacters = "\\/:*?\"<>|";

char LowerAscii(char c) {
    return AsciiLowerByte(c);
}

bool HasControlCharacter(const Utf8Text& name) {
    return std::any_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices whatever follows the first dot, and
// whatever spaces end that first part.
bool IsReservedDeviceName(const Utf8Text& name) {
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    std::transform(stem.begin(), stem.end(), stem.begin(), LowerAscii);
    static constexpr std::array<std::string_view, 4> kPlain = {"con", "prn", "aux", "nul"};
    if (std::find(kPlain.begin(), kPlain.end(), stem) != kPlain.end()) return true;
    if (stem.size() == 4 && (stem.rfind("com", 0) == 0 || stem.rfind("lpt", 0) == 0))
        return stem[3] >= '1' && stem[3] <= '9';
    return false;
}

}  // namespace

std::size_t Utf16Length(const Utf8Text& text) {
    std::size_t units = 0;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80) ++units;  // each character's first byte
        if (byte >= 0xF0) ++units;           // four-byte characters take a surrogate pair
    }
    return units;
}

std::optional<Utf8Text> RefuseName(const Utf8Text& name, NameKind kind, const Utf8Text& fullPath) {
    if (name.find_first_not_of(' ') == Utf8Text::npos) return "名称不能为空。";
    if (name == "." || name == "..") return "名称不能是“.”或“..”。";
    if (name.find_first_of(kForbiddenCharacters) != Utf8Text::npos)
        return "名称不能包含下列字符：\\ / : * ? \" < > |";
    if (HasControlCharacter(name)) return "名称不能包含控制字符。";
    if (name.back() == '.' || name.back() == ' ') return "名称不能以点或空格结尾。";
    if (IsReservedDeviceName(name)) return "“" + name + "”是系统保留的设备名，不能用作名称。";
    // The tree never lists a folder whose name begins with a dot.
    if (kind == NameKind::Directory && name.front() == '.') return "目录名称不能以“.”开头。";
    const std::size_t stored = Utf16Length(name) + (kind == NameKind::Page ? 4 : 0);  // ".txt"
    if (stored > kMaxNameUnits)
        return "名称太长，最多" + std::to_string(kMaxNameUnits) + "个字符。";
    const std::size_t limit = kind == NameKind::Directory ? kMaxFolderPathUnits : kMaxPathUnits;
    if (Utf16Length(fullPath) > limit) return "名称太长，路径超出了系统允许的长度。";
    return std::nullopt;
}

bool LiesInside(const Utf8Text& root, const Utf8Text& path) {
    if (root.empty() || root.back() != '\\') return false;
    if (path.size() <= root.size() || path.compare(0, root.size(), root) != 0) return false;
    std::string_view rest(path);
    rest.remove_prefix(root.size());
    if (!rest.empty() && rest.back() == '\\') rest.remove_suffix(1);  // a folder's own separator
    for (;;) {
        const std::size_t cut = rest.find('\\');
        const std::string_view part = rest.substr(0, cut);
        if (part.empty() || part == "." || part == ".." ||
            part.find_first_of(":/") != std::string_view::npos)
            return false;
        if (cut == std::string_view::npos) return true;
        rest.remove_prefix(cut + 1);
    }
}

bool SamePathIgnoringCase(const Utf8Text& a, const Utf8Text& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

}  // namespace kavo
