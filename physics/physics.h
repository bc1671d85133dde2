// Ball motion, collisions and flipper strokes, in 32-bit fixed point.
#pragma once

#include <cstdint>

#include "model/fixed.h"
#include "model/table.h"

namespace bw {

constexpr int32_t kMaxSpeed = 480;

// One motion step of the ball: clamp, move, gravity, record (here, for the
// play's tick to have it at hand).
inline void Step(Ball& ball) {
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

// The speed rule every bounce ends with; 2 for a damped bounce, 3 for a kick.
int32_t ApplyBounce(Ball& ball, uint32_t factor);

// Circle test against a round piece's centre; writes its dist scratch values.
bool TouchesCircle(RoundPiece& p);
int32_t BounceOffCircle(RoundPiece& p);
// TouchesCircle, then BounceOffCircle on contact.
int32_t SimulateRound(RoundPiece& p);

// Segment test; writes the foot point and may push the ball out.
bool TouchesSegment(BorderSegment& s);
// Mirror or slide off the segment's line. `pushBack` is false for a segment
// that has no foot point of its own (the flipper's stroke segment).
int32_t BounceOffSegment(BorderSegment& s, bool pushBack = true);
int32_t SimulateSegment(BorderSegment& s);

int32_t EdgeYAtBall(const BorderSegment& edge, const Ball& ball);
int32_t SimulateFlipper(Flipper& f);

// The collisions above, as the kinds' Simulate reaches them: what the
// start of play installs in the table state.
const Collisions& PlayCollisions();

// Walks from (px, py) in steps along (ex, ey) until at least r away from the
// origin, and returns the last point still closer than r.
void StepOut(int32_t& px, int32_t& py, int32_t ex, int32_t ey, int32_t r);

}  // namespace bw
