#pragma once

#include <QHash>
#include <QString>
#include <QtGlobal>
#include <memory>

class IHostNameResolver;

// Runs reverse look-ups beside the scan, a few at a time, so that a slow name server
// holds up neither the probes nor the stop of a scan. The look-up threads are not waited
// for: when the pool goes, the addresses not yet started are dropped, and a look-up still
// running ends on its own and throws its answer away.
class CReverseLookupPool {
public:
    // With maxThreads 0 every look-up runs inside request(), on the caller's thread.
    CReverseLookupPool(std::shared_ptr<IHostNameResolver> resolver, int maxThreads);
    ~CReverseLookupPool();

    CReverseLookupPool(const CReverseLookupPool&) = delete;
    CReverseLookupPool& operator=(const CReverseLookupPool&) = delete;

    void request(quint32 address);
    // The names found since the last call, by address; an empty name when there was none.
    QHash<quint32, QString> takeAnswers();

private:
    struct Shared;
    static void lookUp(const std::shared_ptr<Shared>& shared);

    std::shared_ptr<Shared> m_shared;
    int m_maxThreads = 0;
};
