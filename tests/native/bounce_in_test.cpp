#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ui/bounce_in.h"

namespace kavo {
namespace {

constexpr BounceRect kInputAtStart{50, 50, 400, 154};

BounceRect Moved(const BounceRect& rect, const BounceStepResult& step) {
    return {step.left, step.top, rect.width, rect.height};
}

// Runs steps until the kind's timer stops; returns the number of steps and the last place.
std::pair<int, BounceRect> RunToEnd(BounceMotion& motion, BounceWindowKind kind, BounceRect rect,
                                    int screenWidth, int screenHeight) {
    for (int steps = 1; steps < 1000; ++steps) {
        const BounceStepResult step = BounceStep(motion, kind, rect, screenWidth, screenHeight);
        rect = Moved(rect, step);
        if (step.finished) return {steps, rect};
    }
    return {-1, rect};
}

TEST(BounceInTest, FirstStepsFollowTheSpringInThirtyTwoBitFloats) {
    BounceMotion motion;
    // dx = 512 - 50 - 200 = 262, dy = 384 - 50 - 77 = 257; v = d * 0.1 * 0.9, vy + 5.
    BounceStepResult step =
        BounceStep(motion, BounceWindowKind::InputDialog, kInputAtStart, 1024, 768);
    EXPECT_FLOAT_EQ(motion.vx, 262 * 0.1f * 0.9f);
    EXPECT_FLOAT_EQ(motion.vy, 257 * 0.1f * 0.9f + 5.0f);
    EXPECT_EQ(step.left, 73);  // 50 + 23.58, truncated
    EXPECT_EQ(step.top, 78);   // 50 + 28.13
    EXPECT_FALSE(step.finished);
    EXPECT_EQ(motion.steps[static_cast<std::size_t>(BounceWindowKind::InputDialog)], 1);

    // Odd screen sizes give half pixels for the centre; negative places truncate toward zero.
    BounceMotion left;
    step = BounceStep(left, BounceWindowKind::ConfirmDialog, {0, 0, 400, 400}, 101, 101);
    // dx = 50.5 - 200 = -149.5 -> vx = -13.455 -> left -13 (not -14)
    EXPECT_EQ(step.left, -13);
    EXPECT_FLOAT_EQ(left.vx, -149.5f * 0.1f * 0.9f);
}

TEST(BounceInTest, FiftyOneStepsEndBelowTheCentreAndResetTheCounter) {
    BounceMotion motion;
    const auto [steps, rect] =
        RunToEnd(motion, BounceWindowKind::InputDialog, kInputAtStart, 1024, 768);
    EXPECT_EQ(steps, 51);
    EXPECT_EQ(motion.steps[static_cast<std::size_t>(BounceWindowKind::InputDialog)], 0);
    EXPECT_GT(rect.top + rect.height / 2, 384);  // pulled down by the constant 5
    EXPECT_LT(rect.top + rect.height, 768);      // and still on the screen
}

TEST(BounceInTest, KindsCountApartWhileTheVelocitiesCarryOver) {
    BounceMotion shared;
    RunToEnd(shared, BounceWindowKind::InputDialog, kInputAtStart, 1024, 768);
    const float leftoverVy = shared.vy;
    ASSERT_NE(leftoverVy, 0.0f);
    // Half an opening of the settings window leaves its own counter half way...
    BounceRect settings{50, 50, 500, 400};
    for (int i = 0; i < 20; ++i)
        settings = Moved(settings,
                         BounceStep(shared, BounceWindowKind::SettingsWindow, settings, 1024, 768));
    // ...and the ConfirmDialog opened now still gets its 51 steps, starting with what is left.
    BounceMotion fresh;
    const BounceStepResult first =
        BounceStep(fresh, BounceWindowKind::ConfirmDialog, {50, 50, 400, 128}, 1024, 768);
    shared.steps[static_cast<std::size_t>(BounceWindowKind::ConfirmDialog)] = 0;
    BounceMotion copy = shared;
    const BounceStepResult carried =
        BounceStep(copy, BounceWindowKind::ConfirmDialog, {50, 50, 400, 128}, 1024, 768);
    EXPECT_NE(carried.top, first.top);
    const auto [steps, rect] =
        RunToEnd(shared, BounceWindowKind::ConfirmDialog, {50, 50, 400, 128}, 1024, 768);
    EXPECT_EQ(steps, 51);
    EXPECT_EQ(shared.steps[static_cast<std::size_t>(BounceWindowKind::SettingsWindow)], 20);
}

}  // namespace
}  // namespace kavo
