#pragma once

#include "sim/CSimDeviceFaults.h"
#include "sim/CSimKeypadChannel.h"
#include "sim/CSimSettings.h"

#include <QByteArray>
#include <QList>
#include <optional>

class CValidationSchema;

// One simulated device on a gateway's bus: known by its serial number from the start, and
// by a UID once it has been given one.
class CSimBusDevice {
public:
    CSimBusDevice(quint32 serial, QByteArray type, CSimSettings settings);

    quint32 serial() const { return m_serial; }
    const std::optional<quint32>& uid() const { return m_uid; }
    void setUid(quint32 uid) { m_uid = uid; }
    const QByteArray& type() const { return m_type; }
    // The type it reports: its own, or another one under the wrong-type fault.
    void setReportedType(QByteArray type) { m_reportedType = std::move(type); }
    const QByteArray& reportedType() const { return m_reportedType; }
    const CSimDeviceFaults& faults() const { return m_faults; }
    // The site applies otherType to the reported type (CSimSite::setDeviceFaults).
    void setFaults(const CSimDeviceFaults& faults) { m_faults = faults; }

    CSimSettings& settings() { return m_settings; }
    const CSimSettings& settings() const { return m_settings; }

    // Channels the keypads drive; their addresses are the site's choice.
    QList<CSimKeypadChannel>& channels() { return m_channels; }
    const QList<CSimKeypadChannel>& channels() const { return m_channels; }
    void addChannel(const CSimKeypadChannel& channel);
    // The ports (empty: the device itself) that drive LED or motor outputs.
    QList<QByteArray> outputPorts(CSimKeypadChannel::Kind kind) const;

    int identifyCount() const { return m_identifyCount; }
    void identify() { ++m_identifyCount; }

    // "+UIDn;" once it has a UID, "+SNn;" before; nothing from a silent device.
    QList<QByteArray> announcements() const;
    // "+UIDn;" once it has a UID, "+SNn;" before.
    QByteArray announcement() const;
    // "!UIDn.path=value;" for every setting the pattern asks for (all for an empty one);
    // nothing without a UID.
    QList<QByteArray> report(const CSettingAddress& pattern) const;
    // Stores the value when the device accepts it and answers with the new value.
    std::optional<QByteArray> set(const CValidationSchema& schema, const CSettingAddress& path,
                                  const QByteArray& value);

private:
    QByteArray reportedValue(const CSimSetting& setting) const;

    quint32 m_serial;
    std::optional<quint32> m_uid;
    QByteArray m_type;
    QByteArray m_reportedType;
    CSimSettings m_settings;
    QList<CSimKeypadChannel> m_channels;
    CSimDeviceFaults m_faults;
    int m_identifyCount = 0;
};
