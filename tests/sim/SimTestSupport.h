#pragma once

// What the simulator's tests share: the models (a small hand-made set from tests/data/sim,
// whose every answer a test can spell out, or the shipped product data) and a small site.

#include "core/transport/CIpv4Address.h"
#include "sim/CSimModels.h"
#include "sim/CSimSite.h"
#include "sim/CSimSiteBuilder.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTest>
#include <memory>

namespace simtest {

inline quint32 ip(const char* dotted) {
    return CIpv4Address::fromDotted(dotted);
}

inline QByteArray readData(const QString& name) {
    QFile file(testsupport::dataPath(QStringLiteral("sim/") + name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Gateway type GATE_A (template), lamps LAMP_A (schema only) and drives DRIVE_A (template).
inline std::shared_ptr<CSimModels> smallModels() {
    auto models = std::make_shared<CSimModels>();
    QString error;
    const bool loaded = models->loadFromTexts(readData(QStringLiteral("validate.xml")),
                                              {readData(QStringLiteral("template_gate.xml")),
                                               readData(QStringLiteral("template_drive.xml"))},
                                              error);
    if (!loaded) {
        qFatal("small models: %s", qPrintable(error));
    }
    return models;
}

inline std::shared_ptr<CSimModels> shippedModels() {
    auto models = std::make_shared<CSimModels>();
    QString error;
    if (!models->load(QStringLiteral(VOREL_RUNTIME_DIR), error)) {
        qFatal("shipped models: %s", qPrintable(error));
    }
    return models;
}

constexpr const char* kGatewayAddress = "10.0.0.2";
constexpr quint32 kLampSerial = 100001;     // UID 1, LED channel 2.1.1
constexpr quint32 kDriveSerial = 100002;    // UID 2, motor channels 1.1.1 (A) and 1.1.2 (B)
constexpr quint32 kNewLampSerial = 100003;  // no UID yet, LED channel 2.1.2

// One GATE_A gateway at 10.0.0.2 with a lamp (UID 1), a drive (UID 2) and a lamp that has
// no UID yet.
inline CSimSite smallSite(std::shared_ptr<CSimModels> models = smallModels()) {
    CSimSiteConfig config;
    config.addresses = {ip(kGatewayAddress)};
    config.devicesPerGateway = 3;
    config.deviceTypes = {"LAMP_A", "DRIVE_A"};
    config.unaddressedPerGateway = 1;
    QString error;
    auto site = CSimSiteBuilder::build(std::move(models), config, error);
    if (!site) {
        qFatal("small site: %s", qPrintable(error));
    }
    return std::move(*site);
}

}  // namespace simtest
