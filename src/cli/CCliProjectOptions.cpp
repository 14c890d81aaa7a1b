#include "cli/CCliProjectOptions.h"

#include <QCommandLineParser>

QCommandLineOption CCliProjectOptions::projectOption() {
    return QCommandLineOption(QStringLiteral("project"),
                              QStringLiteral("the project file (required)"),
                              QStringLiteral("FILE"));
}

QCommandLineOption CCliProjectOptions::gatewaysOption() {
    return QCommandLineOption(QStringLiteral("gateways"),
                              QStringLiteral("the project's gateways only"));
}

QCommandLineOption CCliProjectOptions::devicesOption() {
    return QCommandLineOption(QStringLiteral("devices"),
                              QStringLiteral("the project's bus devices only"));
}

QString CCliProjectOptions::read(const QCommandLineParser& parser, const QString& command) {
    project = parser.value(projectOption().names().front());
    if (project.isEmpty()) {
        return QStringLiteral("%1 needs --project FILE").arg(command);
    }
    const bool gateways = parser.isSet(gatewaysOption().names().front());
    const bool devices = parser.isSet(devicesOption().names().front());
    if (gateways || !devices) {
        kinds.append(CUploadDevice::Kind::Gateway);
    }
    if (devices || !gateways) {
        kinds.append(CUploadDevice::Kind::BusDevice);
    }
    return {};
}
