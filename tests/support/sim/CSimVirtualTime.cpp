#include "CSimVirtualTime.h"

#include "core/document/CUbrixVorelDoc.h"
#include "support/CManualTimerSource.h"

#include <QCoreApplication>
#include <algorithm>

CSimVirtualTime::CSimVirtualTime(CSimSite& site, CUbrixVorelDoc& doc, CManualTimerSource& timers,
                                 quint32 programAddress, QDateTime start)
    : m_site(site),
      m_doc(doc),
      m_timers(timers),
      m_link(site, doc.inboundQueue(), programAddress),
      m_startMs(start.toMSecsSinceEpoch()) {}

qint64 CSimVirtualTime::nowMs() const {
    return m_startMs + m_timers.now().count();
}

void CSimVirtualTime::send(QByteArrayView text, quint32 address) {
    m_link.send(text, address, nowMs());
}

void CSimVirtualTime::settle() {
    // A keypad status or a query echo ends a drain; the lines behind it still count.
    for (int round = 0; round < 1000; ++round) {
        m_link.deliverDue(nowMs());
        while (!m_doc.inboundQueue().isEmpty()) {
            m_doc.AddMsg();
        }
        QCoreApplication::sendPostedEvents();
        if (!m_site.nextDueMs() || *m_site.nextDueMs() > nowMs()) {
            return;
        }
    }
}

bool CSimVirtualTime::runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    using std::chrono::milliseconds;
    const milliseconds end = m_timers.now() + limit;
    settle();
    while (!done()) {
        if (m_timers.now() >= end) {
            return false;
        }
        milliseconds next = end;
        if (const auto timer = m_timers.nextDue()) {
            next = std::min(next, *timer);
        }
        if (const auto reply = m_site.nextDueMs()) {
            next = std::min(next, milliseconds(*reply - m_startMs));
        }
        m_timers.advance(std::max(milliseconds(0), next - m_timers.now()));
        settle();
    }
    return true;
}
