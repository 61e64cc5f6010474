#include "ui/bounce_in.h"

namespace kavo {
namespace {

// Intermediate results keep the floating-point unit's wider precision; only what is stored in
// a 32-bit variable is rounded to it, as the animation was first computed.
using Wide = long double;

constexpr float kPull = 0.1f;
constexpr float kDamping = 0.9f;
constexpr float kFall = 5.0f;

int TruncateToInt(Wide value) {
    return static_cast<int>(value);  // toward zero
}

}  // namespace

BounceStepResult BounceStep(BounceMotion& motion, BounceWindowKind kind, const BounceRect& window,
                            int screenWidth, int screenHeight) {
    const float cx = static_cast<float>(static_cast<Wide>(screenWidth) / 2);
    const float cy = static_cast<float>(static_cast<Wide>(screenHeight) / 2);
    const float dx = static_cast<float>(static_cast<Wide>(cx) - window.left -
                                        static_cast<Wide>(window.width) / 2);
    const float dy = static_cast<float>(static_cast<Wide>(cy) - window.top -
                                        static_cast<Wide>(window.height) / 2);
    motion.vx = static_cast<float>(static_cast<Wide>(motion.vx) + static_cast<Wide>(dx) * kPull);
    motion.vy = static_cast<float>(static_cast<Wide>(motion.vy) + static_cast<Wide>(dy) * kPull);
    motion.vx = static_cast<float>(static_cast<Wide>(motion.vx) * kDamping);
    motion.vy = static_cast<float>(static_cast<Wide>(motion.vy) * kDamping);
    motion.vy = static_cast<float>(static_cast<Wide>(motion.vy) + kFall);

    BounceStepResult result;
    result.left = TruncateToInt(window.left + static_cast<Wide>(motion.vx));
    result.top = TruncateToInt(window.top + static_cast<Wide>(motion.vy));
    int& step = motion.steps[static_cast<std::size_t>(kind)];
    ++step;
    if (step > kBounceLastStep) {
        step = 0;
        result.finished = true;
    }
    return result;
}

BounceMotion& SharedBounceMotion() {
    static BounceMotion motion;
    return motion;
}

}  // namespace kavo
