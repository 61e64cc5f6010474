// The library both global search benchmarks read: 100 script directories of 100 pages, each
// page about 4 KB of GBK script text; one page in a hundred holds the text searched for.
#pragma once

#include <string>

#include "text/encoding.h"

namespace kavo::bench {

inline constexpr int kDirectories = 100;
inline constexpr int kPagesPerDirectory = 100;
inline constexpr int kPages = kDirectories * kPagesPerDirectory;
inline constexpr int kPagesWithNeedle = kPages / 100;

// UTF-8; the search text in GBK is Utf8ToGbk of it.
inline constexpr const char* kNeedle = "计次循环尾(77)";

inline bool HoldsNeedle(int page) {
    return page % 100 == 37;
}

// GBK bytes of page number `page`: script lines with Chinese names, numbers that vary from page
// to page, and near misses of the search text (another number, a half of it).
inline std::string PageBytes(int page) {
    std::string utf8;
    int line = 0;
    while (utf8.size() < 5600) {  // about 4 KB once the Chinese characters take two bytes
        const std::string n = std::to_string((page * 31 + line * 7) % 1000);
        utf8 += "// 第" + std::to_string(line) + "步：移动鼠标，然后单击，再等一会儿\r\n";
        utf8 += "鼠标移动(" + n + "," + std::to_string(line * 3) + ")\r\n";
        utf8 += "延时(" + n + ")\r\n";
        utf8 += "按键(hello world " + n + ",50)\r\n";
        utf8 += "计次循环尾(" + std::to_string(line % 70) + ")\r\n";
        ++line;
    }
    if (HoldsNeedle(page)) utf8 += std::string(kNeedle) + "\r\n";
    return Utf8ToGbk(utf8);
}

}  // namespace kavo::bench
