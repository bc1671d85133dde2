#include "physics/game.h"

#include "physics/physics.h"
#include "physics/sweep.h"

namespace bw {

void StartGame(TableState& st) {
    st.collisions = PlayCollisions();
    if (st.root) st.root->HandleMessage(PieceMessage::Reset);
    st.score = 0;
    st.paramA = 0;
    PrepareFastPath(st);
}

namespace {

// The ball's region follows its position; only the window, which repaints
// what changed, needs it (kWatched): otherwise its table position alone is
// kept.
template <bool kWatched>
void PlaceBall(Ball& ball, TableRoot& root) {
    if constexpr (kWatched) {
        ball.HandleMessage(PieceMessage::RebuildRegion);
        root.dirtyRegion.Unite(ball.region);
    } else {
        ball.x = TableX(ball.fx).v;
        ball.y = TableY(ball.fy).v;
    }
}

template <bool kWatched>
bool Tick(TableState& st, Ball& ball, TableRoot& root) {
    Step(ball);
    PlaceBall<kWatched>(ball, root);
    SimulateTable(st);
    const bool drained = BallOffTable(ball);
    if (drained) ball.HandleMessage(PieceMessage::Reset);
    PlaceBall<kWatched>(ball, root);
    return drained;
}

}  // namespace

bool PlayTick(TableState& st, bool trackDirty) {
    Ball* ball = st.ball;
    TableRoot* root = st.root;
    if (!ball || !root) return false;
    return trackDirty ? Tick<true>(st, *ball, *root) : Tick<false>(st, *ball, *root);
}

void SendKey(TableState& st, int32_t virtualKey, bool down) {
    st.paramA = virtualKey;
    st.paramB = down ? 1 : 0;
    KeyChangedTable(st);
}

void ReleaseKeys(TableState& st) {
    for (int32_t key : {kKeyZ, kKeyX, kKeySpace}) SendKey(st, key, false);
}

void TraceChecksum::Add(const TableState& st) {
    const Ball* ball = st.ball;
    const int32_t words[5] = {ball ? ball->fx : 0, ball ? ball->fy : 0, ball ? ball->vx : 0,
                              ball ? ball->vy : 0, st.score};
    for (int32_t w : words) {
        const uint32_t u = static_cast<uint32_t>(w);
        for (int shift = 0; shift < 32; shift += 8) {
            hash_ ^= (u >> shift) & 0xFFu;
            hash_ *= 1099511628211ull;
        }
    }
}

}  // namespace bw
