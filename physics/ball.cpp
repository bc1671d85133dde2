// Ball motion: the step and the speed rule every bounce ends with.
#include "model/fixed.h"
#include "physics/physics.h"

namespace bw {

void Step(Ball& ball) {
    I32 vx = ball.vx, vy = ball.vy;
    const I32 ax = Abs(vx), ay = Abs(vy);
    if ((ax > ay ? ax : ay) > kMaxSpeed) {
        if (ax > ay) {
            vy = (vy * kMaxSpeed) / ax;
            vx = vx > 0 ? kMaxSpeed : -kMaxSpeed;
        } else {
            vx = (vx * kMaxSpeed) / ay;
            vy = vy > 0 ? kMaxSpeed : -kMaxSpeed;
        }
    }
    const I32 fx = I32(ball.fx) + vx;
    const I32 fy = I32(ball.fy) + vy;
    vy += ball.gravity;
    ball.vx = vx.v;
    ball.vy = vy.v;
    ball.fx = fx.v;
    ball.fy = fy.v;
    ball.lastVx = ball.vx;
    ball.lastVy = ball.vy;
    ball.lastFx = ball.fx;
    ball.lastFy = ball.fy;
}

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
