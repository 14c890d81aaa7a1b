#pragma once

#include <QHash>
#include <QString>
#include <QtGlobal>
#include <memory>

class IHostNameResolver;

// Runs reverse look-ups beside the scan, a few at a time, so that a slow name server
// holds up neither the probes nor the stop of a scan. The look-up threads are not waited
// for: when the pool goes, the addresses not yet started are dropped, and a look-up still
// running ends on its own and throws its answer away. Such threads count against one
// limit for the whole program, so that Rescan after Rescan against a name server that
// does not answer cannot pile them up: new look-ups wait for a thread instead.
class CReverseLookupPool {
public:
    static constexpr int kMaxThreadsInAll = 16;

    // With maxThreads 0 every look-up runs inside request(), on the caller's thread.
    CReverseLookupPool(std::shared_ptr<IHostNameResolver> resolver, int maxThreads);
    ~CReverseLookupPool();

    CReverseLookupPool(const CReverseLookupPool&) = delete;
    CReverseLookupPool& operator=(const CReverseLookupPool&) = delete;

    void request(quint32 address);
    // The names found since the last call, by address; an empty name when there was none.
    QHash<quint32, QString> takeAnswers();

    // A pool's state, shared with its look-ups.
    struct Shared;

private:
    static void work();

    std::shared_ptr<Shared> m_shared;
};
