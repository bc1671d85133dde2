// The flipper stroke: a strike in the first tick after the key changed.
#include "model/fixed.h"
#include "physics/physics.h"

namespace bw {

int32_t EdgeYAtBall(const BorderSegment& edge, const Ball& ball) {
    return (I32(edge.fy) + ((I32(ball.fx) - edge.fx) * edge.dy) / edge.dx).v;
}

namespace {

// Mirrors the falling ball at the line from the pivot through the ball,
// shifted 2 table pixels towards where the blade goes.
void BounceOffStrokeLine(Flipper& f, Ball& ball, I32 s) {
    const int32_t y1 = (I32(f.y) + I32(2) * s).v;
    const int32_t bx = TableX(I32(ball.fx) * 2 - f.fx).v;
    const int32_t by = (TableY(I32(ball.fy) * 2 - f.fy) + I32(2) * s).v;
    BorderSegment stroke(f.state, f.kind, f.x, y1, bx, by);
    stroke.HandleMessage(PieceMessage::Reset);
    // With both ends on one point the line has no direction: the ball is on
    // the pivot and there is nothing to mirror at, so its velocity stays.
    // The stroke segment has no foot point of its own, so a slide along it
    // makes no push-back (the strike sets the ball's height right after).
    if (stroke.active) BounceOffSegment(stroke, /*pushBack=*/false);
}

}  // namespace

int32_t SimulateFlipper(Flipper& f) {
    Ball* ballPtr = f.state.ball;
    if (!ballPtr) return 0;
    Ball& ball = *ballPtr;
    if (f.keys.changed) {
        f.keys.changed = 0;
        const BorderSegment& lower = *f.lowerEdge;
        const BorderSegment& upper = *f.upperEdge;
        I32 yLow = EdgeYAtBall(lower, ball);
        if (yLow > lower.fy) yLow = lower.fy;
        I32 yUp = EdgeYAtBall(upper, ball);
        if (yUp < upper.fy) yUp = upper.fy;
        const I32 bfy = ball.fy, hr = ball.hitRadius;
        if (SpansOverlap(ball.fx, f.fx, f.tipFx, ball.hitRadius)) {
            const bool inWedge = f.keys.pressed ? (bfy < yLow && bfy + hr > yUp)
                                                : (bfy > yUp && bfy - hr - 256 < yLow);
            if (inWedge) {
                const I32 s = f.keys.pressed ? 1 : -1;
                if (ball.vy > 0) BounceOffStrokeLine(f, ball, s);
                const I32 ddx = I32(ball.fx) - f.fx;
                const I32 k = ddx == 0 ? I32(0) : ((I32(ball.fy) - f.fy) * (I32(-480) * s)) / ddx;
                ball.fy = (s == 1 ? yUp - I32(2) * hr : yLow + I32(2) * hr).v;
                ball.vy = (I32(ball.vy) - I32(480) * s).v;
                ball.vx = (I32(ball.vx) + k).v;
                return kFlipperStroke;
            }
        }
    }
    const int32_t r = SimulateRound(f);
    if (r != 0) return r;
    return SimulateSegment(f.keys.pressed ? *f.upperEdge : *f.lowerEdge);
}

}  // namespace bw
