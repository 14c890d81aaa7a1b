#include "sim/CSimSiteBuilder.h"

#include "core/transport/CIpv4Address.h"

#include <QString>

namespace {

CSettingAddress path(const char* group, const char* key) {
    CSettingAddress made;
    made.group = group;
    made.key = key;
    return made;
}

// Sets a setting only where the model has it.
void setIfPresent(CSimSettings& settings, const CSettingAddress& where, const QByteArray& value) {
    if (settings.find(where) != nullptr) {
        settings.set(where, value);
    }
}

QString unknownType(const QByteArray& type) {
    return QStringLiteral("unknown device type %1").arg(QString::fromLatin1(type));
}

}  // namespace

QByteArray CSimSiteBuilder::macAddress(quint32 address) {
    const quint32 host = CIpv4Address::toHostOrder(address);
    return QString::asprintf("00:1B:C5:%02X:%02X:%02X", (host >> 16) & 0xFFu, (host >> 8) & 0xFFu,
                             host & 0xFFu)
        .toLatin1();
}

CMacAddress CSimSiteBuilder::reportedMacAddress(const CSimGateway& gateway) {
    if (const std::optional<CMacAddress> reported =
            CMacAddress::fromText(gateway.settings().value(path("NETWORK", "MAC_ADD")))) {
        return *reported;
    }
    return CMacAddress::fromText(macAddress(gateway.address())).value_or(CMacAddress());
}

std::optional<CSimSite> CSimSiteBuilder::build(const std::shared_ptr<const CSimModels>& models,
                                               const CSimSiteConfig& config, QString& error) {
    if (config.devicesPerGateway < 0 ||
        config.devicesPerGateway > CSimSiteConfig::kMaxDevicesPerGateway) {
        error = QStringLiteral("at most %1 devices per gateway")
                    .arg(CSimSiteConfig::kMaxDevicesPerGateway);
        return std::nullopt;
    }
    const QList<QByteArray> gatewayTypes =
        config.gatewayTypes.isEmpty() ? models->templateTypes(true) : config.gatewayTypes;
    const QList<QByteArray> deviceTypes =
        config.deviceTypes.isEmpty() ? models->templateTypes(false) : config.deviceTypes;
    for (const QByteArray& type : gatewayTypes + deviceTypes) {
        if (!models->hasType(type)) {
            error = unknownType(type);
            return std::nullopt;
        }
    }
    if (gatewayTypes.isEmpty() || (deviceTypes.isEmpty() && config.devicesPerGateway > 0)) {
        error = QStringLiteral("no device types to simulate");
        return std::nullopt;
    }
    CSimSite site(models);
    int deviceCount = 0;
    for (int g = 0; g < config.addresses.size(); ++g) {
        CSimGateway gateway =
            makeGateway(*models, gatewayTypes[g % gatewayTypes.size()], config.addresses[g], g);
        quint32 ledNode = 1;
        quint32 motorNode = 1;
        for (int d = 0; d < config.devicesPerGateway; ++d, ++deviceCount) {
            CSimBusDevice device =
                makeDevice(*models, config, deviceTypes[deviceCount % deviceTypes.size()], g, d);
            addChannels(device, g, ledNode, motorNode);
            gateway.devices().append(std::move(device));
        }
        site.addGateway(std::move(gateway));
    }
    return site;
}

CSimGateway CSimSiteBuilder::makeGateway(const CSimModels& models, const QByteArray& type,
                                         quint32 address, int index) {
    CSimSettings settings = models.settingsFor(type);
    setIfPresent(settings, path("", "NAME"), "Ubrix " + QByteArray::number(index + 1));
    setIfPresent(settings, path("NETWORK", "STATIC_IP"), CIpv4Address::toDotted(address));
    setIfPresent(settings, path("NETWORK", "MAC_ADD"), macAddress(address));
    return CSimGateway(address, type, std::move(settings));
}

CSimBusDevice CSimSiteBuilder::newDevice(const CSimModels& models, const QByteArray& type,
                                         quint32 serial) {
    CSimSettings settings = models.settingsFor(type);
    setIfPresent(settings, path("", "SN"), QByteArray::number(serial));
    setIfPresent(settings, path("", "ALIAS"), "DEV" + QByteArray::number(serial));
    return CSimBusDevice(serial, type, std::move(settings));
}

quint32 CSimSiteBuilder::freeSerial(const CSimSite& site, int gateway) {
    quint32 serial = serialNumber(gateway, 0);
    while (site.hasSerial(serial)) {
        ++serial;
    }
    return serial;
}

CSimBusDevice CSimSiteBuilder::makeDevice(const CSimModels& models, const CSimSiteConfig& config,
                                          const QByteArray& type, int gateway, int index) {
    CSimBusDevice device = newDevice(models, type, serialNumber(gateway, index));
    if (index < config.devicesPerGateway - config.unaddressedPerGateway) {
        device.setUid(uid(config, gateway, index));
    }
    return device;
}

void CSimSiteBuilder::addChannels(CSimBusDevice& device, int gateway, quint32& ledNode,
                                  quint32& motorNode) {
    const auto group = static_cast<quint32>(gateway + 1);
    for (const QByteArray& port : device.outputPorts(CSimKeypadChannel::Kind::Led)) {
        device.addChannel(CSimKeypadChannel(CSimKeypadChannel::Kind::Led,
                                            {CSimSiteConfig::kLedZone, group, ledNode++}, port));
    }
    for (const QByteArray& port : device.outputPorts(CSimKeypadChannel::Kind::Motor)) {
        device.addChannel(CSimKeypadChannel(CSimKeypadChannel::Kind::Motor,
                                            {CSimSiteConfig::kMotorZone, group, motorNode++},
                                            port));
    }
}
