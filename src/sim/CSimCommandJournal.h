#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>
#include <deque>
#include <functional>
#include <mutex>

// Every command the simulated site received, so that a test or a script sees exactly what
// went out: who sent it, its bytes as they came, whether it was broadcast, and which
// gateways heard it. The network's thread records; anyone may read. The journal keeps the
// latest entries only (a site may run for days); an observer sees every entry as it comes.
class CSimCommandJournal {
public:
    static constexpr size_t kDefaultCapacity = 10000;

    struct Entry {
        quint32 sender = 0;  // network byte order
        QByteArray text;
        bool broadcast = false;  // arrived on a broadcast address
        bool tcp = false;        // came over a kept connection
        QList<quint32> heardBy;  // the addresses of the gateways that heard it
    };
    // Called on the recording thread, outside the journal's lock.
    using Observer = std::function<void(const Entry&)>;

    explicit CSimCommandJournal(size_t capacity = kDefaultCapacity) : m_capacity(capacity) {}

    void record(Entry entry);
    QList<Entry> entries() const;
    // The texts a gateway heard, in order.
    QList<QByteArray> textsHeardBy(quint32 gateway) const;
    void clear();
    void setObserver(Observer observer);

    // "<- 10.0.0.5 to 10.0.0.2: &NAME=Hall;" (or "to all", "by TCP"); bytes that are not
    // printable ASCII as \r, \n or \xHH, so that one entry is always one line.
    static QByteArray describe(const Entry& entry);

private:
    mutable std::mutex m_mutex;
    size_t m_capacity;
    std::deque<Entry> m_entries;
    Observer m_observer;
};
