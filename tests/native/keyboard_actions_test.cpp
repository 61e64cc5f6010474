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
                ElementsAre("KeybdEvent(0x41,Down)", "KeybdEvent(0x41,Up)", "Wait(10)",
                            "KeybdEvent(0x42,Down)", "KeybdEvent(0x42,Up)", "Wait(10)"));
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
            std::snprintf(down, sizeof down, "KeybdEvent(0x%02X,Down)", code);
            std::snprintf(up, sizeof up, "KeybdEvent(0x%02X,Up)", code);
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
                    ElementsAre("KeybdEvent(0x31,Down)", "KeybdEvent(0x31,Up)",
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
         {"CharacterOfKey(20)", "ScanCodeOfKey(20)", "GetTickCount",
          "SendKeyboardInput(vk=20,scan=58,Down,extended,time=1000)", "Wait(50)", "GetTickCount",
          "SendKeyboardInput(vk=20,scan=58,Up,extended,time=1001)", "Wait(50)"}},
        {65,  // A gives a character
         {"CharacterOfKey(65)", "ScanCodeOfKey(65)", "GetTickCount",
          "SendKeyboardInput(vk=65,scan=30,Down,time=1000)", "Wait(50)", "GetTickCount",
          "SendKeyboardInput(vk=65,scan=30,Up,time=1001)", "Wait(50)"}},
        {0,  // no key at all still sends a down and an up record
         {"CharacterOfKey(0)", "ScanCodeOfKey(0)", "GetTickCount",
          "SendKeyboardInput(vk=0,scan=0,Down,extended,time=1000)", "Wait(50)", "GetTickCount",
          "SendKeyboardInput(vk=0,scan=0,Up,extended,time=1001)", "Wait(50)"}},
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
    platform.scanCodeOfKey = [](std::uint32_t) -> std::uint32_t { return 0x1E02A; };
    platform.characterOfKey = [](std::uint32_t) -> std::uint32_t { return 'x'; };
    PressSpecialKey(platform, platform, 0x10041);
    EXPECT_THAT(
        platform.CallsStartingWith({"CharacterOfKey", "ScanCodeOfKey", "SendKeyboardInput"}),
        ElementsAre("CharacterOfKey(65601)", "ScanCodeOfKey(65601)",
                    "SendKeyboardInput(vk=65,scan=57386,Down,time=1000)",
                    "SendKeyboardInput(vk=65,scan=57386,Up,time=1001)"));
}

std::string PostKey(const char* message, std::uint32_t code, long long window = 777) {
    char text[96];
    std::snprintf(text, sizeof text, "PostWindowMessage(%lld,%s,0x%08X,0x00000000)", window,
                  message, code);
    return text;
}

TEST(PostKeyMessage, PostsTheMessagesOfEachModeWithLParamZero) {
    struct Case {
        int mode;
        Calls expected;
    };
    const Case cases[] = {
        {1, {PostKey("Character", 65)}},
        {2, {PostKey("KeyDown", 65)}},
        {3, {PostKey("KeyDown", 65)}},
        {4, {PostKey("KeyUp", 65)}},
        {5, {PostKey("KeyDown", 65), PostKey("KeyUp", 65)}},
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
                ElementsAre(PostKey("Character", 0x1234, 0), PostKey("KeyUp", 0xFFFFFFFF, 5)));
}

}  // namespace
}  // namespace kavo
