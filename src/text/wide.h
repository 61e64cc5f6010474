// Windows only: UTF-16 for the W APIs, converted with code page 936 or UTF-8 explicitly.
#pragma once

#include <string>
#include <string_view>

#include "text/runtime_text.h"

namespace kavo {

std::wstring GbkToWide(std::string_view gbk);
RuntimeText WideToGbk(std::wstring_view wide);
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

}  // namespace kavo
