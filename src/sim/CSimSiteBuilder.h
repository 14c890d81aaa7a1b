#pragma once

#include "core/lan/CMacAddress.h"
#include "sim/CSimSite.h"
#include "sim/CSimSiteConfig.h"

#include <QString>
#include <memory>
#include <optional>

// Makes a site from the models. Addresses and numbers follow one scheme, so a test or a
// user can tell in advance what the site holds:
// - gateway g (counting from 0) is named "Ubrix <g+1>";
// - device d of gateway g has the serial number 100001 + 1000 g + d and, unless it is one
//   of the unaddressed ones, the UID g * devicesPerGateway + d + 1, unique on the site;
// - every LED output is a keypad channel at 2.<g+1>.n and every motor output at 1.<g+1>.n,
//   n counting from 1 on each bus, so the LED keypad's 2.1.0 reaches every LED output on
//   the first gateway and the motor keypad's 1.1.1 and 1.1.2 its first two motors;
// - a gateway at a.b.c.d reports the made-up hardware address 00:1B:C5:<b>:<c>:<d> (hex).
class CSimSiteBuilder {
public:
    // Nothing, and the reason in error, when the configuration names an unknown type or
    // too many devices.
    static std::optional<CSimSite> build(const std::shared_ptr<const CSimModels>& models,
                                         const CSimSiteConfig& config, QString& error);

    static quint32 serialNumber(int gateway, int device) {
        return CSimSiteConfig::kFirstSerial + 1000u * static_cast<quint32>(gateway) +
               static_cast<quint32>(device);
    }
    static quint32 uid(const CSimSiteConfig& config, int gateway, int device) {
        return static_cast<quint32>(gateway * config.devicesPerGateway + device + 1);
    }

    // A device of that type as it comes new: the model's settings, its serial number and
    // an alias made of it, no UID.
    static CSimBusDevice newDevice(const CSimModels& models, const QByteArray& type,
                                   quint32 serial);
    // The first serial number of the gateway's scheme that no device of the site has.
    static quint32 freeSerial(const CSimSite& site, int gateway);

    // The made-up hardware address of a gateway at that address (network byte order).
    static QByteArray macAddress(quint32 address);
    // The hardware address the gateway reports (NETWORK.MAC_ADD), or the made-up one of
    // its address when its model has none or it holds no address.
    static CMacAddress reportedMacAddress(const CSimGateway& gateway);

private:
    static CSimGateway makeGateway(const CSimModels& models, const QByteArray& type,
                                   quint32 address, int index);
    static CSimBusDevice makeDevice(const CSimModels& models, const CSimSiteConfig& config,
                                    const QByteArray& type, int gateway, int index);
    static void addChannels(CSimBusDevice& device, int gateway, quint32& ledNode,
                            quint32& motorNode);
};
