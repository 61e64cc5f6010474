#include "commands/keyboard_actions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "native/input_calls.h"
#include "platform/fake/recording_platform.h"

namespace kavo {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using Calls = std::vector<std::string>;

TEST(TypeKeys, PressesAndReleasesEachByteThenPauses) {
    RecordingPlatform platform;
    TypeKeys(platform, platform, "ab", 10);
    EXPECT_THAT(test::InputCalls(platform),
                ElementsAre("KeybdEvent(0x41,0x0)", "KeybdEvent(0x41,0x2)", "Wait(10)",
                            "KeybdEvent(0x42,0x0)", "KeybdEvent(0x42,0x2)", "Wait(10)"));
}

TEST(TypeKeys, UsesEachByteOfTheUpperCasedTextAsTheKeyCode) {
    struct Case {
        std::string text;
        std::vector<unsigned> codes;
    };
    const Case cases[] = {
        {"q", {0x51}},  // lower case presses the capital's key
        {"Zz9 ", {0x5A, 0x5A, 0x39, 0x20}},
        {"[", {0x5B}},               // the left Windows key
        {".,", {0x2E, 0x2C}},        // VK_DELETE, VK_SNAPSHOT
        {"\xD0\xC5", {0xD0, 0xC5}},  // 信: one press per byte
        {"\x81\x61", {0x81, 0x61}},  // 乤: a trail byte that looks like 'a' stays as it is
        {"\x81\x61"
         "a",
         {0x81, 0x61, 0x41}},
    };
    for (const Case& c : cases) {
        RecordingPlatform platform;
        TypeKeys(platform, platform, c.text, 1);
        Calls expected;
        for (unsigned code : c.codes) {
            char down[32];
            char up[32];
            std::snprintf(down, sizeof down, "KeybdEvent(0x%02X,0x0)", code);
            std::snprintf(up, sizeof up, "KeybdEvent(0x%02X,0x2)", code);
            expected.insert(expected.end(), {down, up, "Wait(1)"});
        }
        EXPECT_THAT(test::InputCalls(platform), ElementsAreArray(expected)) << c.text;
    }
}

TEST(TypeKeys, EmptyTextInjectsNothingAndDoesNotWait) {
    RecordingPlatform platform;
    TypeKeys(platform, platform, "", 100);
    EXPECT_THAT(platform.calls, IsEmpty());
}

TEST(TypeKeys, PauseBelowOneStillGoesThroughATimerThatFiresAtOnce) {
    for (int pause : {0, -5}) {
        RecordingPlatform platform;
        TypeKeys(platform, platform, "1", pause);
        EXPECT_THAT(test::InputCalls(platform),
                    ElementsAre("KeybdEvent(0x31,0x0)", "KeybdEvent(0x31,0x2)",
                                "Wait(" + std::to_string(pause) + ")"));
        EXPECT_EQ(platform.nowMicroseconds, 0u) << "a pause of " << pause << " waited";
    }
}

TEST(PressSpecialKey, SendsExtendedFlagsForKeysWithoutACharacterAndHoldsFiftyMilliseconds) {
    struct Case {
        int code;
        Calls expected;
    };
    const Case cases[] = {
        {20,  // Caps Lock gives no character: extended
         {"MapVirtualKey(20,2)", "MapVirtualKey(20,0)", "GetTickCount",
          "SendInput(vk=20,scan=58,flags=0x1,time=1000)", "Wait(50)", "GetTickCount",
          "SendInput(vk=20,scan=58,flags=0x3,time=1001)", "Wait(50)"}},
        {65,  // A gives a character
         {"MapVirtualKey(65,2)", "MapVirtualKey(65,0)", "GetTickCount",
          "SendInput(vk=65,scan=30,flags=0x0,time=1000)", "Wait(50)", "GetTickCount",
          "SendInput(vk=65,scan=30,flags=0x2,time=1001)", "Wait(50)"}},
        {0,  // no key at all still sends a down and an up record
         {"MapVirtualKey(0,2)", "MapVirtualKey(0,0)", "GetTickCount",
          "SendInput(vk=0,scan=0,flags=0x1,time=1000)", "Wait(50)", "GetTickCount",
          "SendInput(vk=0,scan=0,flags=0x3,time=1001)", "Wait(50)"}},
    };
    for (const Case& c : cases) {
        RecordingPlatform platform;
        PressSpecialKey(platform, platform, c.code);
        EXPECT_THAT(test::InputCalls(platform), ElementsAreArray(c.expected)) << c.code;
        EXPECT_EQ(platform.nowMicroseconds, 100000u) << c.code;
    }
}

TEST(PressSpecialKey, KeepsTheLow16BitsOfTheCodeAndTheScanCode) {
    RecordingPlatform platform;
    platform.mapVirtualKey = [](std::uint32_t, std::uint32_t type) -> std::uint32_t {
        return type == 0 ? 0x1E02A : 'x';
    };
    PressSpecialKey(platform, platform, 0x10041);
    EXPECT_THAT(platform.CallsStartingWith({"MapVirtualKey", "SendInput"}),
                ElementsAre("MapVirtualKey(65601,2)", "MapVirtualKey(65601,0)",
                            "SendInput(vk=65,scan=57386,flags=0x0,time=1000)",
                            "SendInput(vk=65,scan=57386,flags=0x2,time=1001)"));
}

std::string PostKey(std::uint32_t message, std::uint32_t code, long long window = 777) {
    char text[96];
    std::snprintf(text, sizeof text, "PostMessage(%lld,0x%04X,0x%08X,0x00000000)", window, message,
                  code);
    return text;
}

TEST(PostKeyMessage, PostsTheMessagesOfEachModeWithLParamZero) {
    struct Case {
        int mode;
        Calls expected;
    };
    const Case cases[] = {
        {1, {PostKey(0x0102, 65)}},
        {2, {PostKey(0x0100, 65)}},
        {3, {PostKey(0x0100, 65)}},
        {4, {PostKey(0x0101, 65)}},
        {5, {PostKey(0x0100, 65), PostKey(0x0101, 65)}},
        {0, {}},
        {6, {}},
        {-1, {}},
    };
    for (const Case& c : cases) {
        RecordingPlatform platform;
        PostKeyMessage(platform, 777, 65, c.mode);
        EXPECT_THAT(platform.calls, ElementsAreArray(c.expected)) << "mode " << c.mode;
    }
}

TEST(PostKeyMessage, PassesWindowZeroAndAnyCodeOnUnchanged) {
    RecordingPlatform platform;
    PostKeyMessage(platform, 0, 0x1234, 1);
    PostKeyMessage(platform, 5, -1, 4);
    EXPECT_THAT(platform.calls,
                ElementsAre(PostKey(0x0102, 0x1234, 0), PostKey(0x0101, 0xFFFFFFFF, 5)));
}

}  // namespace
}  // namespace kavo
