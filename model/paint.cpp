#include "model/paint.h"

namespace bw {

void PaintTable(TableState& st, Surface& target, bool withBall) {
    Surface* const previous = st.drawTarget;
    st.drawTarget = &target;
    // A white rectangle with the white pen over the playfield: pixels 0..248
    // by 0..198.
    target.FillRect(kPlayfield, kWhite);
    target.SelectPen(kPiecePen);
    if (st.root) st.root->HandleMessage(PieceMessage::Draw);
    if (withBall && st.ball) st.ball->HandleMessage(PieceMessage::Draw);
    st.drawTarget = previous;
}

}  // namespace bw
