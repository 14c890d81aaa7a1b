#pragma once

#include "sim/CSimFaults.h"
#include "sim/CSimGateway.h"
#include "sim/CSimLatency.h"
#include "sim/CSimModels.h"
#include "sim/CSimOutgoing.h"
#include "sim/CSimRandom.h"

#include <QByteArrayView>
#include <QList>
#include <memory>
#include <optional>

// A simulated site: gateways with devices on their buses. It is pure logic, without
// sockets or threads: a received datagram goes in, the replies it causes come out with
// the time they are due, after the faults have had their say. CSimNetwork puts it on a
// network; tests drive it directly with a time of their choosing.
class CSimSite {
public:
    struct Counters {
        quint64 received = 0;  // datagrams handed to a gateway
        quint64 invalid = 0;   // of those, not a command the gateway knows
        quint64 replies = 0;   // replies made (before faults)
        quint64 dropped = 0;
        quint64 commandsLost = 0;  // datagrams a gateway never heard (each gateway counts)
        quint64 malformed = 0;
    };

    static constexpr qint64 kDefaultRestartSilenceMs = 3000;

    explicit CSimSite(std::shared_ptr<const CSimModels> models);

    const CSimModels& models() const { return *m_models; }
    QList<CSimGateway>& gateways() { return m_gateways; }
    const QList<CSimGateway>& gateways() const { return m_gateways; }
    void addGateway(CSimGateway gateway);
    // The index of the gateway with that address; -1 when none has it.
    int gatewayIndex(quint32 address) const;

    void setFaults(const CSimFaults& faults);
    const CSimFaults& faults() const { return m_faults; }
    // How long answers take; the jitter is drawn from the faults' seed.
    void setLatency(const CSimLatency& latency);
    // The faults of one gateway (uid: none) or of the device with that UID on its bus;
    // false when there is no such gateway or device.
    bool setDeviceFaults(int gateway, std::optional<quint32> uid, const CSimDeviceFaults& faults);
    const CSimLatency& latency() const { return m_latency; }
    // The device with that UID leaves the gateway's bus for good; false when there is none.
    bool removeDevice(int gateway, quint32 uid);
    // A new device, without UID, joins the gateway's bus; false when there is no such
    // gateway or its serial number is taken on the site.
    bool addDevice(int gateway, CSimBusDevice device);
    // Whether any device of the site has that serial number, or had it before it was
    // removed (a serial number is never given twice).
    bool hasSerial(quint32 serial) const;
    // How long a gateway stays silent after "&VERSION_HW=RESET;".
    void setRestartSilenceMs(qint64 silence);

    // A datagram that reached gateway from sender. Returns whether it was a command. A
    // gateway that does not hear it there (its address or port moved) ignores it.
    bool receive(int gateway, QByteArrayView datagram, quint32 sender, qint64 nowMs,
                 const CSimArrival& arrival = {});
    // Whether a datagram on its way to one gateway is lost (the faults' command share); a
    // broadcast is lost or heard by each gateway on its own. Whoever carries datagrams asks
    // before receive(); a command over a kept connection is never lost.
    bool losesCommand();
    // The discover button of a device: false when that gateway has no such device.
    bool pressDiscoverButton(int gateway, quint32 serial, qint64 nowMs);

    // The replies due at nowMs, in the order they were made, taken from the site.
    QList<CSimOutgoing> takeDue(qint64 nowMs);
    std::optional<qint64> nextDueMs() const;
    qsizetype pendingCount() const { return m_pending.size(); }
    const Counters& counters() const { return m_counters; }

private:
    enum class Path { Gateway, Bus };

    void queue(int gateway, quint32 to, const QList<QByteArray>& replies, qint64 nowMs, Path path);
    // When each of count replies is due, by the latency model; takes the bus meanwhile.
    QList<qint64> dueTimes(int gateway, qsizetype count, qint64 nowMs, Path path);
    void forgetPending(int gateway);
    void applyReportedTypes();

    std::shared_ptr<const CSimModels> m_models;
    QList<CSimGateway> m_gateways;
    CSimFaults m_faults;
    CSimRandom m_random;
    CSimRandom m_commandLoss;  // a generator of its own: lost commands move no reply's fate
    CSimLatency m_latency;
    CSimRandom m_jitter;
    QList<qint64> m_busFreeAtMs;  // by gateway: when its bus has carried all it was given
    qint64 m_restartSilenceMs = kDefaultRestartSilenceMs;
    QList<CSimOutgoing> m_pending;
    Counters m_counters;
    QList<quint32> m_removedSerials;
};
