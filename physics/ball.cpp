// Ball motion: the speed rule every bounce ends with (the step is in
// physics.h).
#include "model/fixed.h"
#include "physics/physics.h"

namespace bw {

int32_t ApplyBounce(Ball& ball, uint32_t factor) {
    const I32 vx = ball.vx, vy = ball.vy;
    if (factor != 0) {
        const I32 f = static_cast<int32_t>(factor);
        ball.vx = ((vx * f) >> 8).v;
        ball.vy = ((vy * f) >> 8).v;
        return kDampedBounce;
    }
    const I32 ax = Abs(vx), ay = Abs(vy);
    if (ax < ay && ay < kMaxSpeed) {
        const I32 nvy = vy > 0 ? kMaxSpeed : -kMaxSpeed;
        ball.vx = ((nvy * vx) / vy).v;
        ball.vy = nvy.v;
    } else if (ax > ay && ax < kMaxSpeed) {
        const I32 nvx = vx > 0 ? kMaxSpeed : -kMaxSpeed;
        ball.vy = ((nvx * vy) / vx).v;
        ball.vx = nvx.v;
    }
    return kKick;
}

}  // namespace bw
