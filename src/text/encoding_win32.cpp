#include <windows.h>

#include "text/encoding.h"
#include "text/wide.h"

namespace kavo {
namespace {

constexpr UINT kGbkCodePage = 936;

std::wstring ToWide(UINT codePage, std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::string FromWide(UINT codePage, std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
    return text;
}

}  // namespace

std::wstring GbkToWide(std::string_view gbk) {
    return ToWide(kGbkCodePage, gbk);
}
RuntimeText WideToGbk(std::wstring_view wide) {
    return FromWide(kGbkCodePage, wide);
}
std::wstring Utf8ToWide(std::string_view utf8) {
    return ToWide(CP_UTF8, utf8);
}
std::string WideToUtf8(std::wstring_view wide) {
    return FromWide(CP_UTF8, wide);
}

std::string GbkToUtf8(std::string_view gbk) {
    return WideToUtf8(GbkToWide(gbk));
}
RuntimeText Utf8ToGbk(std::string_view utf8) {
    return WideToGbk(Utf8ToWide(utf8));
}

}  // namespace kavo
