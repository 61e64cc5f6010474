#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "editor/links.h"

namespace kavo {
namespace {

TEST(LinksTest, OnlyWebAndMailAddressesAreHandedToTheShell) {
    struct Case {
        std::string link;
        std::optional<std::string> target;
    };
    const Case cases[] = {
        {"http://example.com/a?b=1", "http://example.com/a?b=1"},
        {"HTTPS://example.com", "HTTPS://example.com"},
        {"ftp://files.example.com/x", "ftp://files.example.com/x"},
        {"mailto:someone@example.com", "mailto:someone@example.com"},
        {"www.example.com", "http://www.example.com"},
        {"WWW.Example.com/\xE4\xB8\xAD", "http://WWW.Example.com/\xE4\xB8\xAD"},
        {"file:///C:/Windows/notepad.exe", std::nullopt},
        {"file://server/share/run.bat", std::nullopt},
        {"C:\\Windows\\notepad.exe", std::nullopt},
        {"notepad.exe", std::nullopt},
        {"javascript:alert(1)", std::nullopt},
        {"ms-settings:", std::nullopt},
        {"news:comp.lang", std::nullopt},
        {"http:", std::nullopt},
        {"www.", std::nullopt},
        {"", std::nullopt},
        {"http://a.com\" calc.exe", std::nullopt},
        {"http://a.com\r\ncalc", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ShellTargetForLink(c.link), c.target) << c.link;
    // A long address is taken whole, not cut at some buffer's size.
    const std::string longLink = "http://example.com/" + std::string(3000, 'a');
    EXPECT_EQ(ShellTargetForLink(longLink), longLink);
}

}  // namespace
}  // namespace kavo
