// Collisions of the ball with round pieces and straight segments.
#include "model/fixed.h"
#include "physics/physics.h"

namespace bw {

bool TouchesCircle(RoundPiece& p) {
    const Ball& ball = *p.state.ball;
    if (!p.InReach(ball)) return false;
    I32 dx = I32(ball.fx) - p.fx;
    I32 dy = I32(ball.fy) - p.fy;
    const I32 r = I32(ball.hitRadius) + p.hitRadius;
    if (dx == 0 && dy == 0) dx = dy = 256;
    p.distXX = (dx * dx).v;
    p.distYY = (dy * dy).v;
    p.distXY = (dx * dy).v;
    if (I32(p.distXX) + p.distYY > r * r) return false;
    return I32(ball.vx) * dx + I32(ball.vy) * dy < 0;
}

int32_t BounceOffCircle(RoundPiece& p) {
    Ball& ball = *p.state.ball;
    const I32 n = (I32(p.distXX) + p.distYY) >> 8;
    I32 cr, sr;
    if (n == 0) {
        // The ball's centre is within 1/16 pixel of the piece's centre: no
        // usable direction, so respond as for a ball exactly on the centre.
        cr = 0;
        sr = -256;
    } else {
        cr = (I32(p.distYY) - p.distXX) / n;
        sr = (I32(-2) * p.distXY) / n;
    }
    const I32 vx = ball.vx, vy = ball.vy;
    ball.vx = ((vx * cr + vy * sr) >> 8).v;
    ball.vy = ((vx * sr - vy * cr) >> 8).v;
    return ApplyBounce(ball, p.bounce);
}

int32_t SimulateRound(RoundPiece& p) {
    if (!p.state.ball) return 0;
    return TouchesCircle(p) ? BounceOffCircle(p) : 0;
}

void StepOut(int32_t& px, int32_t& py, int32_t ex, int32_t ey, int32_t r) {
    const I32 aex = Abs(ex), aey = Abs(ey);
    I32 sx, sy;
    if (aex >= aey) {
        sx = ex > 0 ? 32 : -32;
        sy = (I32(ey) * 32) / aex;
    } else {
        sy = ey > 0 ? 32 : -32;
        sx = (I32(ex) * 32) / aey;
    }
    const I32 r2 = I32(r) * r;
    I32 x = px, y = py;
    // The walk starts within reach of r and leaves it after a few dozen steps;
    // the bound only guards against inputs no table can produce.
    for (int guard = 0; guard < 1 << 16; ++guard) {
        x += sx;
        y += sy;
        if (x * x + y * y >= r2) break;
    }
    px = (x - sx).v;
    py = (y - sy).v;
}

namespace {

void PushOut(BorderSegment& s, Ball& ball, I32 nx, I32 ny, I32 r) {
    const I32 ex = nx > 0 ? Abs(s.dy) : -Abs(s.dy);
    const I32 ey = ny > 0 ? Abs(s.dx) : -Abs(s.dx);
    int32_t px = nx.v, py = ny.v;
    StepOut(px, py, ex.v, ey.v, r.v);
    ball.fx = (I32(ball.fx) + (I32(px) - nx) / 2).v;
    ball.fy = (I32(ball.fy) + (I32(py) - ny) / 2).v;
}

void PushBack(BorderSegment& s, Ball& ball) {
    const I32 nx = I32(ball.fx) - s.footFx;
    const I32 ny = I32(ball.fy) - s.footFy;
    if (ball.lastVx == 0 && ball.lastVy == 0) return;
    const I32 r = I32(ball.hitRadius) + s.hitRadius;
    int32_t px = nx.v, py = ny.v;
    StepOut(px, py, (-I32(ball.lastVx)).v, (-I32(ball.lastVy)).v, r.v);
    ball.fy = (I32(ball.fy) + ((I32(py) - ny) >> 1)).v;
}

}  // namespace

namespace {

// The segment's line test and bounce, in a form the segment's Simulate
// (every tick the ball is near a border) has inline.
[[gnu::always_inline]] inline bool LineTouches(BorderSegment& s) {
    Ball& ball = *s.state.ball;
    const I32 bfx = ball.fx, bfy = ball.fy;
    const I32 t = (bfy * s.dy + bfx * s.dx) * 256;
    if (I32(s.bandStart) + t < 0 || I32(s.bandEnd) + t > 0) return false;
    s.footFx = (((bfy - s.fy) * s.kxy + bfx * s.kxx + I32(s.fx) * s.kyy) >> 8).v;
    s.footFy = (((bfx - s.fx) * s.kxy + bfy * s.kyy + I32(s.fy) * s.kxx) >> 8).v;
    const I32 nx = bfx - s.footFx, ny = bfy - s.footFy;
    const I32 r = I32(ball.hitRadius) + s.hitRadius;
    if (Abs(nx) > r || Abs(ny) > r || nx * nx + ny * ny > r * r) return false;
    PushOut(s, ball, nx, ny, r);
    return I32(ball.vy) * ny + I32(ball.vx) * nx < 0;
}

[[gnu::always_inline]] inline int32_t BounceOffLine(BorderSegment& s, bool pushBack) {
    Ball& ball = *s.state.ball;
    const I32 vx = ball.vx, vy = ball.vy;
    const I32 kxx = s.kxx, kyy = s.kyy, kxy = s.kxy;
    if (s.bounce != 0) {
        const I32 q = (((kyy * vx) >> 8) - I32(2) * ((kxy * vy) >> 8)) * vx + ((kxx * vy) >> 8) * vy;
        if (q > 0 && q < 10000) {
            ball.vx = (((kxx * vx + 128) >> 8) + ((kxy * vy + 128) >> 8)).v;
            ball.vy = (((kyy * vy + 128) >> 8) + ((kxy * vx + 128) >> 8)).v;
            if (pushBack) PushBack(s, ball);
            return kSlide;
        }
    }
    ball.vx = ((((kxx - kyy) * vx) >> 8) + ((I32(2) * kxy * vy) >> 8)).v;
    ball.vy = ((((kyy - kxx) * vy) >> 8) + ((I32(2) * kxy * vx) >> 8)).v;
    return ApplyBounce(ball, s.bounce);
}

}  // namespace

bool TouchesSegment(BorderSegment& s) { return LineTouches(s); }

int32_t BounceOffSegment(BorderSegment& s, bool pushBack) { return BounceOffLine(s, pushBack); }

int32_t SimulateSegment(BorderSegment& s) {
    if (!s.state.ball) return 0;
    s.hitRadius = (I32(s.hitRadius) / 2).v;
    // The end circle, which the ball is seldom within reach of (the round
    // test would begin by finding that).
    int32_t result = s.InReach(*s.state.ball) ? SimulateRound(s) : 0;
    s.hitRadius = (I32(s.hitRadius) * 2).v;
    if (s.active && LineTouches(s)) result = BounceOffLine(s, true);
    return result;
}

const Collisions& PlayCollisions() {
    static constexpr Collisions physics{SimulateRound, SimulateSegment, SimulateFlipper, TouchesCircle, TouchesSegment};
    return physics;
}

}  // namespace bw
