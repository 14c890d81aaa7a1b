#include "core/update/CFirmwareUpdater.h"

#include "core/bus/CBusTarget.h"
#include "core/update/IProgramLauncher.h"

QStringList CFirmwareUpdater::arguments(QByteArrayView gateway, QByteArrayView deviceAttribute,
                                        quint32 deviceNumber) {
    return {QStringLiteral("/I"),
            QString::fromLatin1(gateway),
            QStringLiteral("/N"),
            QStringLiteral("UBRIX"),
            QStringLiteral("GEN3"),
            QStringLiteral("/P"),
            QStringLiteral("KLOMB"),
            deviceAttribute == "SN" ? QStringLiteral("/S") : QStringLiteral("/U"),
            QString::number(deviceNumber)};
}

std::optional<QStringList> CFirmwareUpdater::argumentsFor(const CBusTarget& target) {
    if (!target.hasDevice()) {
        return std::nullopt;
    }
    return arguments(target.gatewayText, target.deviceAttribute, target.deviceNumber);
}

CFirmwareUpdater::Launch CFirmwareUpdater::launch(IProgramLauncher& launcher,
                                                  const QString& program,
                                                  const QStringList& arguments) {
    if (program.trimmed().isEmpty()) {
        return Launch::NotConfigured;
    }
    return launcher.startDetached(program, arguments) ? Launch::Started : Launch::Failed;
}

QString CFirmwareUpdater::message(Launch outcome, const QString& program) {
    switch (outcome) {
        case Launch::NotConfigured:
            return QString::fromLatin1(kNotConfigured);
        case Launch::Failed:
            return QString::fromLatin1(kFailed).arg(program);
        case Launch::Started:
            break;
    }
    return {};
}

QString CFirmwareUpdater::startFor(const CBusTarget& target, IProgramLauncher& launcher,
                                   const QString& program) {
    const std::optional<QStringList> given = argumentsFor(target);
    if (!given) {
        return {};
    }
    return message(launch(launcher, program, *given), program);
}
