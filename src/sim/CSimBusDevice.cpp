#include "sim/CSimBusDevice.h"

#include "sim/CSimReplies.h"
#include "sim/CSimSettingRules.h"

namespace {

bool isTypePath(const CSettingAddress& path) {
    return path.port.isEmpty() && path.group.isEmpty() && path.key == "TYPE" &&
           path.index.isEmpty();
}

// The settings that show a device drives outputs of that kind: a motor group, or an LED
// group with levels (a keypad's LED group only lights its own buttons).
bool isOutputSetting(const CSettingAddress& path, CSimKeypadChannel::Kind kind) {
    if (kind == CSimKeypadChannel::Kind::Motor) {
        return path.group == "MOTOR";
    }
    return path.group == "LED" &&
           (path.key == "DISSOLVE" || path.key == "PRESET" || path.key == "LEVEL");
}

}  // namespace

CSimBusDevice::CSimBusDevice(quint32 serial, QByteArray type, CSimSettings settings)
    : m_serial(serial),
      m_type(type),
      m_reportedType(std::move(type)),
      m_settings(std::move(settings)) {}

void CSimBusDevice::addChannel(const CSimKeypadChannel& channel) {
    m_channels.append(channel);
    if (channel.kind() != CSimKeypadChannel::Kind::Motor) {
        return;
    }
    CSimKeypadChannel& added = m_channels.back();
    for (const CSimSetting& setting : m_settings.all()) {
        const CSettingAddress& path = setting.address;
        if (path.port == channel.port() && path.group == "MOTOR" && path.key == "PRESET" &&
            !path.index.isEmpty()) {
            added.setMotorPreset(path.index.toInt(), setting.value.toInt());
        }
    }
}

QList<QByteArray> CSimBusDevice::outputPorts(CSimKeypadChannel::Kind kind) const {
    QList<QByteArray> ports;
    for (const CSimSetting& setting : m_settings.all()) {
        if (isOutputSetting(setting.address, kind) && !ports.contains(setting.address.port)) {
            ports.append(setting.address.port);
        }
    }
    return ports;
}

QByteArray CSimBusDevice::announcement() const {
    return m_uid ? CSimReplies::uidAnnouncement(*m_uid) : CSimReplies::serialAnnouncement(m_serial);
}

QList<QByteArray> CSimBusDevice::announcements() const {
    if (m_faults.silent || m_faults.unannounced) {
        return {};
    }
    return {announcement()};
}

QList<QByteArray> CSimBusDevice::report(const CSettingAddress& pattern) const {
    QList<QByteArray> replies;
    if (!m_uid || m_faults.silent) {
        return replies;
    }
    for (const CSimSetting* setting : m_settings.matching(pattern)) {
        replies.append(
            CSimReplies::deviceSetting(*m_uid, setting->address, reportedValue(*setting)));
    }
    return replies;
}

std::optional<QByteArray> CSimBusDevice::set(const CValidationSchema& schema,
                                             const CSettingAddress& path, const QByteArray& value) {
    if (!m_uid || m_faults.silent || m_faults.refusesSets) {
        return std::nullopt;
    }
    const CSimSetting* stored = CSimSettingRules::store(m_settings, schema, m_type, path, value);
    if (stored == nullptr) {
        return std::nullopt;
    }
    return CSimReplies::deviceSetting(*m_uid, stored->address, stored->value);
}

QByteArray CSimBusDevice::reportedValue(const CSimSetting& setting) const {
    return isTypePath(setting.address) ? m_reportedType : setting.value;
}
