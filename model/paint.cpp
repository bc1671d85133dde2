#include "model/paint.h"

namespace bw {

void PaintTable(TableState& st, Surface& target, bool withBall, const Overlay* overlay) {
    Surface* const previous = st.drawTarget;
    st.drawTarget = &target;
    // A white rectangle with the white pen over the playfield: pixels 0..248
    // by 0..198.
    target.FillRect(kPlayfield, kWhite);
    if (overlay) overlay->PaintUnder(target);
    target.SelectPen(kPiecePen);
    if (st.root) st.root->HandleMessage(PieceMessage::Draw);
    if (withBall && st.ball) st.ball->HandleMessage(PieceMessage::Draw);
    if (overlay) {
        const Pen pen = target.SelectPen(kPiecePen);
        overlay->PaintOver(target);
        target.SelectPen(pen);
    }
    st.drawTarget = previous;
}

}  // namespace bw
