// Conversions between GBK (code page 936, named explicitly, never the process ANSI code page)
// and UTF-8. Bytes that are no valid GBK become U+FFFD; characters GBK cannot hold become '?'.
#pragma once

#include <string>
#include <string_view>

#include "text/runtime_text.h"

namespace kavo {

std::string GbkToUtf8(std::string_view gbk);
RuntimeText Utf8ToGbk(std::string_view utf8);

}  // namespace kavo
