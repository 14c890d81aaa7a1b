#include "core/document/CReplyDrain.h"

#include "core/document/CUbrixVorelDoc.h"

#include <QTimer>

CReplyDrain::CReplyDrain(CUbrixVorelDoc& doc, QObject* parent) : QObject(parent), m_doc(doc) {}

void CReplyDrain::linesQueued() {
    if (!m_sliceDue) {
        drainSlice();
    }
}

void CReplyDrain::drainSlice() {
    m_sliceDue = false;
    // One drain empties the queue; the further announcements of the same burst find it
    // empty and would only repeat the views' update.
    if (m_doc.inboundQueue().isEmpty()) {
        return;
    }
    if (m_doc.AddMsgFor(kSlice)) {
        m_sliceDue = true;
        QTimer::singleShot(0, this, &CReplyDrain::drainSlice);
    }
}
