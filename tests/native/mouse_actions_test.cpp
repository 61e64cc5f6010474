#include "commands/mouse_actions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "native/input_calls.h"
#include "platform/fake/recording_platform.h"

namespace kavo {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Calls = std::vector<std::string>;

TEST(ClickAtCursor, PressesAndReleasesInOneEventWhereTheCursorIs) {
    struct Case {
        ClickKind kind;
        const char* event;
    };
    for (const Case& c : {Case{ClickKind::Left, "MouseEvent(LeftDown+LeftUp,40,50)"},
                          Case{ClickKind::Right, "MouseEvent(RightDown+RightUp,40,50)"}}) {
        RecordingPlatform platform;
        platform.cursor = {40, 50};
        ClickAtCursor(platform, c.kind);
        EXPECT_THAT(platform.calls,
                    ElementsAre("GetCursorPos", "GetCursorPos", "SetCursorPos(40,50)", c.event,
                                "SetCursorPos(40,50)"));
    }
}

// A click whose target moves the cursor (a window that jumps under it, a drag handler).
class CursorMovingPlatform : public RecordingPlatform {
  public:
    void MouseEvent(MouseButtonChanges changes, int x, int y) override {
        RecordingPlatform::MouseEvent(changes, x, y);
        cursor = {900, 700};
    }
};

TEST(ClickAtCursor, PutsTheCursorBackWhereItStartedEvenWhenTheClickMovedIt) {
    CursorMovingPlatform platform;
    platform.cursor = {-20, 300};
    ClickAtCursor(platform, ClickKind::Left);
    EXPECT_EQ(platform.cursor, (Point{-20, 300}));
    EXPECT_EQ(platform.calls.back(), "SetCursorPos(-20,300)");
}

TEST(MoveCursor, PlacesTheCursorOnce) {
    RecordingPlatform platform;
    MoveCursor(platform, -5, 1200);
    EXPECT_THAT(platform.calls, ElementsAre("SetCursorPos(-5,1200)"));
}

TEST(GlideCursor, StepsOnePixelPerAxisAfterEachOneMillisecondWait) {
    struct Case {
        Point from;
        Point to;
        Calls expected;
    };
    const Case cases[] = {
        // Diagonally until one axis is reached, then straight along the other.
        {{0, 0},
         {3, 1},
         {"GetCursorPos", "Wait(1)", "SetCursorPos(1,1)", "Wait(1)", "SetCursorPos(2,1)", "Wait(1)",
          "SetCursorPos(3,1)"}},
        // Toward smaller coordinates.
        {{5, 5},
         {2, 7},
         {"GetCursorPos", "Wait(1)", "SetCursorPos(4,6)", "Wait(1)", "SetCursorPos(3,7)", "Wait(1)",
          "SetCursorPos(2,7)"}},
        {{10, 10},
         {10, 8},
         {"GetCursorPos", "Wait(1)", "SetCursorPos(10,9)", "Wait(1)", "SetCursorPos(10,8)"}},
        {{0, 0}, {-1, -1}, {"GetCursorPos", "Wait(1)", "SetCursorPos(-1,-1)"}},
    };
    for (const Case& c : cases) {
        RecordingPlatform platform;
        platform.cursor = c.from;
        GlideCursor(platform, platform, c.to.x, c.to.y);
        EXPECT_THAT(test::InputCalls(platform), ElementsAreArray(c.expected))
            << "from (" << c.from.x << "," << c.from.y << ") to (" << c.to.x << "," << c.to.y
            << ")";
        EXPECT_EQ(platform.cursor, c.to);
    }
}

TEST(GlideCursor, ToTheCursorsOwnPositionNeitherMovesNorWaits) {
    RecordingPlatform platform;
    platform.cursor = {640, 480};
    GlideCursor(platform, platform, 640, 480);
    EXPECT_THAT(platform.calls, ElementsAre("GetCursorPos"));
}

TEST(GlideCursor, ReadsTheCursorOnceSoRefusedPlacementsStillRunTheWholePath) {
    RecordingPlatform platform;
    platform.cursor = {0, 0};
    platform.refuseCursorPlacement = true;
    GlideCursor(platform, platform, 2, 0);
    EXPECT_THAT(test::InputCalls(platform),
                ElementsAre("GetCursorPos", "Wait(1)", "SetCursorPos(1,0)", "Wait(1)",
                            "SetCursorPos(2,0)"));
}

// A timer that always wakes 0.7 ms late, as coarse platform timers do.
class LateTimerPlatform : public RecordingPlatform {
  public:
    WaitResult WaitForTimerOrMessages(TimerHandle timer, WakeHandle wake) override {
        const WaitResult result = RecordingPlatform::WaitForTimerOrMessages(timer, wake);
        nowMicroseconds += 700;
        return result;
    }
};

TEST(GlideCursor, KeepsOnePixelPerMillisecondWhenTheTimerWakesLate) {
    LateTimerPlatform platform;
    platform.cursor = {0, 0};
    GlideCursor(platform, platform, 100, 0);
    // Lateness does not add up: later steps wait less, and the glide ends within a step's
    // lateness of 100 ms, never before it.
    EXPECT_GE(platform.nowMicroseconds, 100000u);
    EXPECT_LE(platform.nowMicroseconds, 101700u);
    EXPECT_EQ(platform.CallsStartingWith({"SetCursorPos"}).size(), 100u);
    EXPECT_EQ(platform.cursor, (Point{100, 0}));
}

TEST(GlideCursor, TakesAsManyStepsAsTheLongerAxis) {
    RecordingPlatform platform;
    platform.cursor = {0, 0};
    GlideCursor(platform, platform, 1000, -300);
    EXPECT_EQ(platform.CallsStartingWith({"SetCursorPos"}).size(), 1000u);
    EXPECT_THAT(test::InputCalls(platform), ::testing::Contains("Wait(1)").Times(1000));
    EXPECT_EQ(platform.CallsStartingWith({"SetCursorPos"})[299], "SetCursorPos(300,-300)");
    EXPECT_EQ(platform.CallsStartingWith({"SetCursorPos"})[300], "SetCursorPos(301,-300)");
}

std::string Post(const char* message, const char* carried, std::uint32_t point,
                 NativeWindow window = 4242) {
    char text[128];
    std::snprintf(text, sizeof text, "PostWindowMessage(%lld,%s,%s,0x%08X)",
                  static_cast<long long>(window), message, carried, point);
    return text;
}

TEST(PostMouseMessage, PostsTheMessagesOfEachButtonAndAction) {
    constexpr std::uint32_t p = 0x00C80064;            // x 100, y 200
    constexpr std::uint32_t shifted = p + 0x017F0249;  // the wheel and context-menu point
    const std::string move = Post("MouseMove", "held=Right", p);
    const std::string contextMenu = Post("ContextMenu", "0x000206AE", shifted);
    struct Case {
        int button;
        int action;
        Calls expected;
    };
    const Case cases[] = {
        {0,
         0,
         {move, Post("LeftButtonDown", "held=Left", p), Post("LeftButtonUp", "held=none", p)}},
        {1,
         1,
         {move, Post("LeftButtonDown", "held=Left", p), Post("LeftButtonUp", "held=none", p)}},
        {1,
         2,
         {move, Post("LeftButtonDown", "held=Left", p), Post("LeftButtonUp", "held=none", p),
          Post("LeftButtonDoubleClick", "held=none", p)}},
        {0, 3, {move, Post("LeftButtonDown", "held=Left", p)}},
        {1, 4, {move, Post("LeftButtonUp", "held=none", p)}},
        {0, 5, {move}},
        {1, -1, {move}},
        {2,
         0,
         {move, Post("RightButtonDown", "held=Right", p), Post("RightButtonUp", "held=Right", p),
          contextMenu}},
        {2,
         2,
         {move, Post("RightButtonDown", "held=Right", p), Post("RightButtonUp", "held=Right", p),
          Post("RightButtonDoubleClick", "held=none", p), contextMenu}},
        {2, 3, {move, Post("RightButtonDown", "held=Right", p), contextMenu}},
        {2, 4, {move, Post("RightButtonUp", "held=Right", p), contextMenu}},
        {2, 7, {move, contextMenu}},
        {3,
         1,
         {move, Post("MiddleButtonDown", "held=Middle", p),
          Post("MiddleButtonUp", "held=none", p)}},
        {3,
         2,
         {move, Post("MiddleButtonDown", "held=Middle", p), Post("MiddleButtonUp", "held=none", p),
          Post("MiddleButtonDoubleClick", "held=none", p)}},
        {3, 3, {move, Post("MiddleButtonDown", "held=Middle", p)}},
        {3, 4, {move, Post("MiddleButtonUp", "held=none", p)}},
        {4, 0, {Post("MouseWheel", "held=Middle,turn=120", shifted)}},
        {4, 3, {Post("MouseWheel", "held=Middle,turn=120", shifted)}},
        {4, 99, {Post("MouseWheel", "held=Middle,turn=120", shifted)}},
        {5, 2, {Post("MouseWheel", "held=Middle,turn=-120", shifted)}},
        {5, -4, {Post("MouseWheel", "held=Middle,turn=-120", shifted)}},
        {6, 0, {move}},
        {-1, 0, {move}},
    };
    for (const Case& c : cases) {
        RecordingPlatform platform;
        PostMouseMessage(platform, 4242, 100, 200, c.button, c.action);
        EXPECT_THAT(platform.calls, ElementsAreArray(c.expected))
            << "button " << c.button << ", action " << c.action;
    }
}

TEST(PostMouseMessage, PacksThePointAsYTimes65536PlusXCutTo32Bits) {
    struct Case {
        int x;
        int y;
        std::uint32_t packed;
        std::uint32_t shifted;
    };
    const Case cases[] = {
        {100, 200, 0x00C80064, 0x024702AD},
        {-1, 0, 0xFFFFFFFF, 0x017F0248},  // all 32 bits set; the sum wraps
        {5, -1, 0xFFFF0005, 0x017E024E},  // the carry crosses into the high word
        {70000, 1, 0x00021170, 0x018113B9},
        {0, 40000, 0x9C400000, 0x9DBF0249},
        {0, 70000, 0x11700000, 0x12EF0249},  // exact product, then cut: no overflow
        {65535, 65535, 0xFFFFFFFF, 0x017F0248},
    };
    for (const Case& c : cases) {
        RecordingPlatform platform;
        PostMouseMessage(platform, 7, c.x, c.y, 0, 3);
        PostMouseMessage(platform, 7, c.x, c.y, 4, 0);
        PostMouseMessage(platform, 7, c.x, c.y, 2, 9);
        EXPECT_THAT(platform.calls,
                    ElementsAre(Post("MouseMove", "held=Right", c.packed, 7),
                                Post("LeftButtonDown", "held=Left", c.packed, 7),
                                Post("MouseWheel", "held=Middle,turn=120", c.shifted, 7),
                                Post("MouseMove", "held=Right", c.packed, 7),
                                Post("ContextMenu", "0x000206AE", c.shifted, 7)))
            << "x " << c.x << ", y " << c.y;
    }
}

TEST(PostMouseMessage, WindowZeroMeansTheDesktopWindow) {
    RecordingPlatform platform;
    platform.desktopWindow = 65552;
    PostMouseMessage(platform, 0, 100, 200, 4, 0);
    PostMouseMessage(platform, 0, 1, 0, 0, 3);
    EXPECT_THAT(platform.calls,
                ElementsAre("GetDesktopWindow",
                            Post("MouseWheel", "held=Middle,turn=120", 0x024702AD, 65552),
                            "GetDesktopWindow", Post("MouseMove", "held=Right", 1, 65552),
                            Post("LeftButtonDown", "held=Left", 1, 65552)));
}

TEST(PostMouseMessage, NeverTouchesTheCursor) {
    RecordingPlatform platform;
    platform.cursor = {3, 4};
    for (int button = 0; button <= 6; ++button)
        for (int action = 0; action <= 5; ++action)
            PostMouseMessage(platform, 99, 10, 20, button, action);
    EXPECT_EQ(platform.calls.size(), platform.CallsStartingWith({"PostWindowMessage(99,"}).size());
    EXPECT_EQ(platform.cursor, (Point{3, 4}));
}

}  // namespace
}  // namespace kavo
