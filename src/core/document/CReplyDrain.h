#pragma once

#include <QObject>
#include <chrono>

class CUbrixVorelDoc;

// Enters received replies into the plan in slices of at most kSlice, so that a site
// answering at full speed never holds the event loop for long: a burst too long for one
// slice goes on from the event loop, after the timers and the redrawing have had their
// turn. However often the arrival of lines is announced meanwhile, one slice is pending
// at a time.
class CReplyDrain : public QObject {
    Q_OBJECT

public:
    // The views' update follows each slice in the same turn of the event loop (a pass of
    // the bus tree over a whole site takes about 8 ms): 10 ms keeps the two well inside the
    // 50 ms a user notices; 20 ms came close to it on a busy machine.
    static constexpr std::chrono::milliseconds kSlice{10};

    explicit CReplyDrain(CUbrixVorelDoc& doc, QObject* parent = nullptr);

    // Lines were queued: drain a slice now, unless one is due from the event loop anyway.
    void linesQueued();

private:
    void drainSlice();

    CUbrixVorelDoc& m_doc;
    bool m_sliceDue = false;
};
