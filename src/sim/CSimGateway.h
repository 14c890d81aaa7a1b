#pragma once

#include "sim/CSimArrival.h"
#include "sim/CSimBusDevice.h"
#include "sim/CSimCommand.h"
#include "sim/CSimDeviceFaults.h"
#include "sim/CSimSettings.h"

#include <QByteArray>
#include <QList>
#include <optional>

class CValidationSchema;

// One simulated gateway: its own settings and the devices on its bus. It turns each
// command it receives into the texts it answers with; whoever runs it sends them.
class CSimGateway {
public:
    CSimGateway(quint32 address, QByteArray type, CSimSettings settings);

    // Network byte order. A gateway whose DHCP is DISABLE moves to its STATIC_IP as soon
    // as either is set.
    quint32 address() const { return m_address; }
    // The port it listens on and the port its replies go to, once a set of UDP.LISTEN_PORT
    // or UDP.SEND_PORT moved them; nothing while they are the network's own.
    const std::optional<int>& listenPort() const { return m_listenPort; }
    const std::optional<int>& replyPort() const { return m_replyPort; }
    // Whether a datagram that arrived there reaches the gateway at all.
    bool hears(const CSimArrival& arrival) const;
    const QByteArray& type() const { return m_type; }
    void setReportedType(QByteArray type) { m_reportedType = std::move(type); }
    const QByteArray& reportedType() const { return m_reportedType; }
    // The gateway's own faults; the site applies otherType (CSimSite::setDeviceFaults).
    const CSimDeviceFaults& faults() const { return m_faults; }
    void setFaults(const CSimDeviceFaults& faults) { m_faults = faults; }
    CSimSettings& settings() { return m_settings; }
    const CSimSettings& settings() const { return m_settings; }
    QByteArray name() const;

    QList<CSimBusDevice>& devices() { return m_devices; }
    const QList<CSimBusDevice>& devices() const { return m_devices; }
    CSimBusDevice* deviceBySerial(quint32 serial);
    CSimBusDevice* deviceByUid(quint32 uid);

    // Whether the gateway passes a bus command on to its bus: a command for one device only
    // when that device is on it (a broadcast reaches every gateway, and each bus carries
    // only its own devices' traffic); a command for the whole bus or a keypad always.
    bool passesOn(const CSimCommand& command) const;
    // The replies to a command, in order; empty when the gateway stays silent. Besides
    // the answers, a command may change the gateway (settings, the armed UID, a restart).
    QList<QByteArray> handle(const CSimCommand& command, quint32 sender, qint64 nowMs,
                             const CValidationSchema& schema);
    // The discover button of the device with that serial number: when the gateway is
    // armed the device takes the armed UID. Nothing when no such device is on this bus.
    std::optional<QList<QByteArray>> pressDiscoverButton(quint32 serial);

    // Where announcements go: the sender of the last registration or address command.
    const std::optional<quint32>& lastAsker() const { return m_lastAsker; }
    const std::optional<quint32>& armedUid() const { return m_armedUid; }
    // A broadcast "#UID=n;" arms every bus: once a device anywhere has taken n, no other
    // bus may hand it out again.
    void disarm(quint32 uid) {
        if (m_armedUid == uid) {
            m_armedUid.reset();
        }
    }
    bool isSilent(qint64 nowMs) const { return nowMs < m_silentUntilMs; }
    void setRestartSilenceMs(qint64 silence) { m_restartSilenceMs = silence; }
    int identifyCount() const { return m_identifyCount; }
    int restartCount() const { return m_restartCount; }

private:
    QList<QByteArray> report(const CSettingAddress& pattern) const;
    QList<QByteArray> set(const CSettingAddress& path, const QByteArray& value,
                          const CValidationSchema& schema);
    void restart(qint64 nowMs);
    // A stored network setting takes effect at once, as on a real gateway.
    void applyNetworkSetting(const CSettingAddress& path);
    QList<QByteArray> registerBus() const;
    QList<QByteArray> readdress(const CSimCommand& command);
    QList<QByteArray> queryDevices(const CSimCommand& command) const;
    QList<QByteArray> setOnDevices(const CSimCommand& command, const CValidationSchema& schema);
    void identifyDevices(const CSimCommand& command);
    QList<QByteArray> driveChannels(const CSimCommand& command);
    CSimBusDevice* target(const CSimCommand& command);

    quint32 m_address;
    QByteArray m_type;
    QByteArray m_reportedType;
    CSimSettings m_settings;
    QList<CSimBusDevice> m_devices;
    CSimDeviceFaults m_faults;
    std::optional<int> m_listenPort;
    std::optional<int> m_replyPort;

    std::optional<quint32> m_lastAsker;
    std::optional<quint32> m_armedUid;
    qint64 m_silentUntilMs = 0;
    qint64 m_restartSilenceMs = 3000;
    int m_identifyCount = 0;
    int m_restartCount = 0;
};
