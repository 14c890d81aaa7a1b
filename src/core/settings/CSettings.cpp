#include "core/settings/CSettings.h"

#include "core/settings/CDataFolder.h"

#include <QSettings>
#include <algorithm>

namespace {

int readInt(QSettings& store, const char* key, int fallback) {
    bool ok = false;
    const int value = store.value(QLatin1String(key), fallback).toInt(&ok);
    return ok ? value : fallback;
}

QString readString(QSettings& store, const char* key, const QString& fallback) {
    return store.value(QLatin1String(key), fallback).toString();
}

}  // namespace

std::unique_ptr<QSettings> CSettings::openUserStore() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QLatin1String(kOrganisation), QLatin1String(kApplication));
}

std::unique_ptr<QSettings> CSettings::openFileStore(const QString& path) {
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

void CSettings::load(QSettings& store) {
    const CSettings defaults;
    showUbrix = readInt(store, "MAP/show ubrix", defaults.showUbrix);
    mapFile = readInt(store, "MAP/Map file", defaults.mapFile);
    mapFilename = readString(store, "MAP/Map Filename", defaults.mapFilename);
    showTime = readInt(store, "TRAFFIC/show time", defaults.showTime);
    showIp = readInt(store, "TRAFFIC/show ip", defaults.showIp);
    showSent = readInt(store, "TRAFFIC/show sent", defaults.showSent);
    log = readInt(store, "TRAFFIC/Log", defaults.log);
    logFilename = readString(store, "TRAFFIC/Log Filename", defaults.logFilename);
    logLimitMb = readInt(store, "TRAFFIC/Log Limit MB", defaults.logLimitMb);
    sendPort = readInt(store, "UDP/Send_Port", defaults.sendPort);
    recvPort = readInt(store, "UDP/Recv_Port", defaults.recvPort);
    mode = readInt(store, "Transport/Mode", defaults.mode);
    pacing = readInt(store, "Transport/Pacing", defaults.pacing);
    retries = readInt(store, "Transport/Retries", defaults.retries);
    releaseIndexUrl = readString(store, "RELEASE/Index URL", defaults.releaseIndexUrl);
    updaterProgram = readString(store, "UPDATER/Program", defaults.updaterProgram);
    collectPacing = readString(store, "COLLECT/Pacing", defaults.collectPacing);
    collectConcurrent = readInt(store, "COLLECT/Concurrent", defaults.collectConcurrent);
    uploadConcurrent = readInt(store, "UPLOAD/Concurrent", defaults.uploadConcurrent);
    // Stored as the registry kept it: a DWORD, so read it unsigned.
    defaultIp =
        static_cast<std::uint32_t>(store.value(QStringLiteral("TCP/DefaultIP"), 0).toLongLong());

    for (size_t n = 0; n < keypadStarts.size(); ++n) {
        const QString suffix = QString::number(n + 1);
        KeypadStart& start = keypadStarts[n];
        start.zone =
            readInt(store, qPrintable("Device/Zone" + suffix), defaults.keypadStarts[n].zone);
        start.group =
            readInt(store, qPrintable("Device/Group" + suffix), defaults.keypadStarts[n].group);
        start.node =
            readInt(store, qPrintable("Device/Node" + suffix), defaults.keypadStarts[n].node);
    }
    keypadType = readInt(store, "Device/Type", defaults.keypadType);
}

QString CSettings::logFilePath() const {
    return CDataFolder::prepare(dataFolder, logFilename);
}

qint64 CSettings::logLimitBytes() const {
    constexpr qint64 kMegabyte = qint64{1024} * 1024;
    // A limit of nothing would start a new file for every line: one megabyte at least.
    return qint64{std::max(logLimitMb, 1)} * kMegabyte;
}

void CSettings::save(QSettings& store) const {
    store.setValue(QStringLiteral("MAP/show ubrix"), showUbrix);
    store.setValue(QStringLiteral("MAP/Map file"), mapFile);
    store.setValue(QStringLiteral("MAP/Map Filename"), mapFilename);
    store.setValue(QStringLiteral("TRAFFIC/show time"), showTime);
    store.setValue(QStringLiteral("TRAFFIC/show ip"), showIp);
    store.setValue(QStringLiteral("TRAFFIC/show sent"), showSent);
    store.setValue(QStringLiteral("TRAFFIC/Log"), log);
    store.setValue(QStringLiteral("TRAFFIC/Log Filename"), logFilename);
    store.setValue(QStringLiteral("UDP/Send_Port"), sendPort);
    store.setValue(QStringLiteral("UDP/Recv_Port"), recvPort);
    store.setValue(QStringLiteral("TCP/DefaultIP"), static_cast<qlonglong>(defaultIp));
    store.setValue(QStringLiteral("Transport/Mode"), mode);
    store.setValue(QStringLiteral("Transport/Pacing"), pacing);
    store.sync();
}

void CSettings::checkRelease(QSettings& store, int major, int minor) {
    const int release = major * 256 + minor;
    if (readInt(store, "RELEASE/Version", 0) != release) {
        store.setValue(QStringLiteral("RELEASE/Version"), release);
        store.setValue(QStringLiteral("RELEASE/NEW"), 0);
        store.sync();
    }
}

bool CSettings::newerReleaseAnnounced(QSettings& store) {
    return readInt(store, "RELEASE/NEW", 0) == 1;
}

void CSettings::setNewerReleaseAnnounced(QSettings& store, bool announced) {
    store.setValue(QStringLiteral("RELEASE/NEW"), announced ? 1 : 0);
    store.sync();
}
