#include "sim/CSimGateway.h"

#include "core/transport/CIpv4Address.h"
#include "sim/CSimReplies.h"
#include "sim/CSimSettingRules.h"

#include <algorithm>

namespace {

using Kind = CSimCommand::Kind;
using Target = CSimCommand::Target;

CSettingAddress keyPath(const char* key) {
    CSettingAddress path;
    path.key = key;
    return path;
}

bool isTypePath(const CSettingAddress& path) {
    return path == keyPath("TYPE");
}

CSettingAddress groupPath(const char* group, const char* key) {
    CSettingAddress path;
    path.group = group;
    path.key = key;
    return path;
}

std::optional<int> portNumber(const QByteArray& text) {
    bool ok = false;
    const int port = text.toInt(&ok);
    return ok && port > 0 && port <= 65535 ? std::optional<int>(port) : std::nullopt;
}

}  // namespace

CSimGateway::CSimGateway(quint32 address, QByteArray type, CSimSettings settings)
    : m_address(address),
      m_type(type),
      m_reportedType(std::move(type)),
      m_settings(std::move(settings)) {}

QByteArray CSimGateway::name() const {
    return m_settings.value(keyPath("NAME"));
}

CSimBusDevice* CSimGateway::deviceBySerial(quint32 serial) {
    for (CSimBusDevice& device : m_devices) {
        if (device.serial() == serial) {
            return &device;
        }
    }
    return nullptr;
}

CSimBusDevice* CSimGateway::deviceByUid(quint32 uid) {
    for (CSimBusDevice& device : m_devices) {
        if (device.uid() == uid) {
            return &device;
        }
    }
    return nullptr;
}

QList<QByteArray> CSimGateway::handle(const CSimCommand& command, quint32 sender, qint64 nowMs,
                                      const CValidationSchema& schema) {
    if (isSilent(nowMs) || m_faults.silent) {
        return {};
    }
    switch (command.kind) {
        case Kind::GatewayQuery:
            return report(command.address);
        case Kind::GatewaySet:
            return set(command.address, command.value, schema);
        case Kind::GatewayRestart:
            restart(nowMs);
            return {};
        case Kind::GatewayIdentify:
            ++m_identifyCount;
            return {};
        case Kind::BusRegister:
            m_lastAsker = sender;
            return registerBus();
        case Kind::BusArm:
            m_lastAsker = sender;
            m_armedUid = command.newUid;
            return {};
        case Kind::DeviceReaddress:
            m_lastAsker = sender;
            return readdress(command);
        case Kind::DeviceQuery:
            return queryDevices(command);
        case Kind::DeviceSet:
            return setOnDevices(command, schema);
        case Kind::DeviceIdentify:
            identifyDevices(command);
            return {};
        case Kind::Keypad:
            return driveChannels(command);
        case Kind::Invalid:
            break;
    }
    return {};
}

bool CSimGateway::passesOn(const CSimCommand& command) const {
    switch (command.target) {
        case Target::Uid:
        case Target::Serial:
            return std::any_of(m_devices.begin(), m_devices.end(), [&command](const auto& device) {
                return command.target == Target::Serial ? device.serial() == command.number
                                                        : device.uid() == command.number;
            });
        case Target::None:
        case Target::Keypad:
            break;
    }
    return true;
}

std::optional<QList<QByteArray>> CSimGateway::pressDiscoverButton(quint32 serial) {
    CSimBusDevice* device = deviceBySerial(serial);
    if (device == nullptr) {
        return std::nullopt;
    }
    if (!m_armedUid) {
        return device->announcements();
    }
    device->setUid(*m_armedUid);
    m_armedUid.reset();
    // The device reports its type with its new address, so that whoever armed the bus
    // learns what has answered without asking again.
    return device->announcements() + device->report(keyPath("TYPE"));
}

QList<QByteArray> CSimGateway::report(const CSettingAddress& pattern) const {
    QList<QByteArray> replies;
    for (const CSimSetting* setting : m_settings.matching(pattern)) {
        const QByteArray& value = isTypePath(setting->address) ? m_reportedType : setting->value;
        replies.append(CSimReplies::gatewaySetting(setting->address, value));
    }
    return replies;
}

QList<QByteArray> CSimGateway::set(const CSettingAddress& path, const QByteArray& value,
                                   const CValidationSchema& schema) {
    if (m_faults.refusesSets) {
        return {};
    }
    const CSimSetting* stored = CSimSettingRules::store(m_settings, schema, m_type, path, value);
    if (stored == nullptr) {
        return {};
    }
    applyNetworkSetting(stored->address);
    return {CSimReplies::gatewaySetting(stored->address, stored->value)};
}

bool CSimGateway::hears(const CSimArrival& arrival) const {
    if (arrival.port != 0 && m_listenPort && arrival.port != *m_listenPort) {
        return false;
    }
    return arrival.address == 0 || arrival.address == m_address;
}

void CSimGateway::applyNetworkSetting(const CSettingAddress& path) {
    const QByteArray value = m_settings.value(path);
    if (path == groupPath("UDP", "LISTEN_PORT") && portNumber(value)) {
        m_listenPort = portNumber(value);
    } else if (path == groupPath("UDP", "SEND_PORT") && portNumber(value)) {
        m_replyPort = portNumber(value);
    } else if (path == groupPath("NETWORK", "STATIC_IP") || path == groupPath("NETWORK", "DHCP")) {
        bool valid = false;
        const quint32 fixed =
            CIpv4Address::fromDotted(m_settings.value(groupPath("NETWORK", "STATIC_IP")), &valid);
        if (m_settings.value(groupPath("NETWORK", "DHCP")) == "DISABLE" && valid && fixed != 0) {
            m_address = fixed;
        }
    }
}

void CSimGateway::restart(qint64 nowMs) {
    m_silentUntilMs = nowMs + m_restartSilenceMs;
    m_armedUid.reset();
    ++m_restartCount;
}

QList<QByteArray> CSimGateway::registerBus() const {
    QList<QByteArray> replies;
    for (const CSimBusDevice& device : m_devices) {
        replies.append(device.announcements());
    }
    return replies;
}

QList<QByteArray> CSimGateway::readdress(const CSimCommand& command) {
    CSimBusDevice* device = target(command);
    if (device == nullptr) {
        return {};
    }
    device->setUid(command.newUid);
    return device->announcements();
}

QList<QByteArray> CSimGateway::queryDevices(const CSimCommand& command) const {
    QList<QByteArray> replies;
    for (const CSimBusDevice& device : m_devices) {
        if (device.uid() == command.number) {
            replies.append(device.report(command.address));
        }
    }
    return replies;
}

QList<QByteArray> CSimGateway::setOnDevices(const CSimCommand& command,
                                            const CValidationSchema& schema) {
    QList<QByteArray> replies;
    for (CSimBusDevice& device : m_devices) {
        if (device.uid() != command.number) {
            continue;
        }
        if (const auto echo = device.set(schema, command.address, command.value)) {
            replies.append(*echo);
        }
    }
    return replies;
}

void CSimGateway::identifyDevices(const CSimCommand& command) {
    for (CSimBusDevice& device : m_devices) {
        const bool addressed = command.target == Target::Serial ? device.serial() == command.number
                                                                : device.uid() == command.number;
        if (addressed) {
            device.identify();
        }
    }
}

QList<QByteArray> CSimGateway::driveChannels(const CSimCommand& command) {
    QList<QByteArray> replies;
    const QByteArray family = command.address.text();
    for (CSimBusDevice& device : m_devices) {
        for (CSimKeypadChannel& channel : device.channels()) {
            if (channel.address().isReachedBy(command.keypad)) {
                replies.append(channel.handle(family, command.value));
            }
        }
    }
    return replies;
}

CSimBusDevice* CSimGateway::target(const CSimCommand& command) {
    return command.target == Target::Serial ? deviceBySerial(command.number)
                                            : deviceByUid(command.number);
}
