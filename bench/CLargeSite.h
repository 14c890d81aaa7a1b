#pragma once

#include "core/transport/CIpv4Address.h"
#include "sim/CSimModels.h"
#include "sim/CSimSiteBuilder.h"

#include <QCoreApplication>
#include <map>
#include <memory>

// A site of the size of the largest real ones, as the simulator builds it: 20 gateways x 256
// bus devices, each device's settings grown to about 200 by more entries of its indexed keys
// (more presets, more keys), as the larger models have. The benchmarks of a large site share
// it, so that each measures the same site.
class CLargeSite {
public:
    static constexpr int kGateways = 20;
    static constexpr int kDevicesPerGateway = 256;
    static constexpr int kSettingsPerDevice = 200;

    // The site with the models beside the running program; ends the program if they are not.
    static CSimSite build() {
        auto models = std::make_shared<CSimModels>();
        QString error;
        if (!models->load(QCoreApplication::applicationDirPath(), error)) {
            qFatal("models: %s", qPrintable(error));
        }
        CSimSiteConfig config;
        for (int g = 0; g < kGateways; ++g) {
            config.addresses.append(
                CIpv4Address::fromHostOrder(0x0A000002u + (static_cast<quint32>(g) << 8)));
        }
        config.devicesPerGateway = kDevicesPerGateway;
        std::optional<CSimSite> site = CSimSiteBuilder::build(models, config, error);
        if (!site) {
            qFatal("site: %s", qPrintable(error));
        }
        return std::move(*site);
    }

    // The device's settings, grown to about kSettingsPerDevice.
    static CSimSettings grown(CSimSettings settings) {
        struct Indexed {
            int highest = 0;
            QByteArray value;  // the first entry's, which a new one takes too
        };
        std::map<CSettingAddress, Indexed> indexed;  // by key, the index left empty
        for (const CSimSetting& setting : settings.all()) {
            bool number = false;
            const int index = setting.address.index.toInt(&number);
            if (number) {
                CSettingAddress key = setting.address;
                key.index.clear();
                Indexed& entry = indexed[key];
                if (entry.highest == 0) {
                    entry.value = setting.value;
                }
                entry.highest = std::max(entry.highest, index);
            }
        }
        while (!indexed.empty() && settings.size() < kSettingsPerDevice) {
            for (auto& [key, entry] : indexed) {
                CSettingAddress next = key;
                next.index = QByteArray::number(++entry.highest);
                settings.set(next, entry.value);
                if (settings.size() >= kSettingsPerDevice) {
                    break;
                }
            }
        }
        return settings;
    }
};
