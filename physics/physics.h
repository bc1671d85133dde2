// Ball motion, collisions and flipper strokes, in 32-bit fixed point.
#pragma once

#include <cstdint>

#include "model/table.h"

namespace bw {

constexpr int32_t kMaxSpeed = 480;

// One motion step of the ball: clamp, move, gravity, record.
void Step(Ball& ball);
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
