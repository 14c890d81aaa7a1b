#pragma once

#include "core/common/IClock.h"
#include "core/lan/INeighbourProbe.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <chrono>
#include <memory>

// A LAN on paper for the scan: hosts that answer a set time after they are probed,
// addresses of the machine itself, and a record of every probe with the time it went out.
// The record outlives the probe (the scanner owns and destroys the probe).
class CFakeNeighbourProbe : public INeighbourProbe {
public:
    struct Sent {
        quint32 address = 0;
        QDateTime at;
    };
    struct Record {
        mutable QMutex mutex;
        QList<Sent> sent;
        QList<quint32> sources;
        int begins = 0;
        int ends = 0;
        bool destroyed = false;

        QList<Sent> sentCopy() const {
            QMutexLocker lock(&mutex);
            return sent;
        }
        QList<quint32> sourcesCopy() const {
            QMutexLocker lock(&mutex);
            return sources;
        }
        int beginCount() const {
            QMutexLocker lock(&mutex);
            return begins;
        }
        int endCount() const {
            QMutexLocker lock(&mutex);
            return ends;
        }
        bool isDestroyed() const {
            QMutexLocker lock(&mutex);
            return destroyed;
        }
    };

    explicit CFakeNeighbourProbe(IClock& clock) : m_clock(clock) {}
    ~CFakeNeighbourProbe() override {
        QMutexLocker lock(&m_record->mutex);
        m_record->destroyed = true;
    }

    std::shared_ptr<Record> record() const { return m_record; }

    // The host answers this long after its first probe.
    void addHost(quint32 address, const CMacAddress& mac,
                 std::chrono::milliseconds answersAfter = std::chrono::milliseconds(0)) {
        m_hosts.insert(address, {mac, answersAfter});
    }
    void addOwnAddress(quint32 address, const CMacAddress& mac) { m_own.insert(address, mac); }

    void begin(quint32 sourceAddress) override {
        QMutexLocker lock(&m_record->mutex);
        ++m_record->begins;
        m_record->sources.append(sourceAddress);
        m_firstProbe.clear();
    }
    void probe(quint32 address) override {
        const QDateTime now = m_clock.now();
        QMutexLocker lock(&m_record->mutex);
        m_record->sent.append({address, now});
        if (!m_firstProbe.contains(address)) {
            m_firstProbe.insert(address, now);
        }
    }
    QHash<quint32, CMacAddress> answeredHosts() override {
        const QDateTime now = m_clock.now();
        QMutexLocker lock(&m_record->mutex);
        QHash<quint32, CMacAddress> answered;
        for (auto probed = m_firstProbe.constBegin(); probed != m_firstProbe.constEnd(); ++probed) {
            const auto host = m_hosts.constFind(probed.key());
            if (host != m_hosts.constEnd() &&
                probed.value().msecsTo(now) >= host->answersAfter.count()) {
                answered.insert(probed.key(), host->mac);
            }
        }
        return answered;
    }
    QHash<quint32, CMacAddress> ownAddresses() override { return m_own; }
    void end() override {
        QMutexLocker lock(&m_record->mutex);
        ++m_record->ends;
    }

private:
    struct Host {
        CMacAddress mac;
        std::chrono::milliseconds answersAfter{0};
    };

    IClock& m_clock;
    std::shared_ptr<Record> m_record = std::make_shared<Record>();
    QHash<quint32, Host> m_hosts;
    QHash<quint32, CMacAddress> m_own;
    QHash<quint32, QDateTime> m_firstProbe;
};
