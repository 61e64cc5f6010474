#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/key_code_text.h"
#include "text/runtime_text.h"

namespace kavo {
namespace {

TEST(KeyCodeTextTest, ThirtyThreeLinesAsShownToUsers) {
    const std::vector<RuntimeText> lines = SplitText(kKeyCodeText, "\r\n");
    ASSERT_EQ(lines.size(), 33u);
    EXPECT_EQ(lines[0], "字母和数字键的键码值(keyCode) ");
    EXPECT_EQ(lines[2], "A 65 J 74 S 83 1 49 ");
    EXPECT_EQ(lines[11], "");
    EXPECT_EQ(lines[20], "6 102 . 110         ");
    EXPECT_EQ(lines[21], "7 103 / 111");
    EXPECT_EQ(lines[22], "   ");
    EXPECT_EQ(lines[32], "Cape Lock 20 Up Arrow 38 ,< 188 '\" 222");
    const std::string text = kKeyCodeText;
    EXPECT_NE(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(text.find('\n') - 1, text.find('\r'));  // CR LF, never LF alone
}

}  // namespace
}  // namespace kavo
