#pragma once

#include "CSimDirectLink.h"

#include <QDateTime>
#include <chrono>
#include <functional>

class CManualTimerSource;
class CUbrixVorelDoc;

// One virtual time for the program and a simulated site in the same process: the
// program's timers come from a manual timer source, the site answers over a direct link,
// and time moves from one event to the next (a timer of the program, or a reply falling
// due), so that both sides see the same clock. Replies are queued and drained into the
// document as the program's receive path would.
class CSimVirtualTime {
public:
    CSimVirtualTime(CSimSite& site, CUbrixVorelDoc& doc, CManualTimerSource& timers,
                    quint32 programAddress, QDateTime start);

    qint64 nowMs() const;
    // A datagram from the program, at the current time.
    void send(QByteArrayView text, quint32 address);
    // Moves time event by event until done() holds, or until limit has passed; true when
    // done() held.
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);
    // Delivers the replies due now and lets queued calls run.
    void settle();
    CSimDirectLink& link() { return m_link; }

private:
    CSimSite& m_site;
    CUbrixVorelDoc& m_doc;
    CManualTimerSource& m_timers;
    CSimDirectLink m_link;
    qint64 m_startMs;
};
