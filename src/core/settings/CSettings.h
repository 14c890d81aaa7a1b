#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>

class QSettings;

// The program's persistent settings, typed. Read once at start-up and written once at
// exit; between the two they live here. Sections, keys and defaults are the program's
// registry layout, kept in an INI file on every platform.
class CSettings {
public:
    static constexpr const char* kOrganisation = "Quenlow";
    static constexpr const char* kApplication = "Ubrix Vorel";
    static constexpr int kDefaultLogLimitMb = 50;

    // "MAP"
    int showUbrix = 1;
    int mapFile = 0;
    QString mapFilename = QStringLiteral("Results.xml");
    // "TRAFFIC"
    int showTime = 1;
    int showIp = 1;
    // Whether the texts the program sends join the traffic list and the log.
    int showSent = 0;
    int log = 1;
    QString logFilename = QStringLiteral("logfile.txt");
    // "TRAFFIC"/"Log Limit MB": past this size the log file is moved aside to its ".1"
    // name and started anew. Read at start-up, never written: a user raises it by hand.
    int logLimitMb = kDefaultLogLimitMb;
    // "UDP"
    int sendPort = 5000;
    int recvPort = 4000;
    // "TCP": network byte order, as inet_addr gives it; 0 is none.
    std::uint32_t defaultIp = 0;
    // "Transport": 0 UDP, 1 TCP, 2 USB serial.
    int mode = 0;
    // "Transport"/"Pacing": how paced sequences (the uploads) wait for the devices: 0 the
    // fixed pauses, 1 paced by replies (a pause ends once the reply has come). The upload
    // preview offers the choice; it is kept at exit with the other settings.
    int pacing = 1;
    // "Transport"/"Retries": how often a query, or a set whose echo is awaited, goes out
    // again when its answer did not come in its pause (only texts safe to repeat, see
    // CRetryRule). Set by hand, never written at exit.
    int retries = 2;
    // "RELEASE"/"Index URL": where the update check finds the download index
    // ("http://host[:port]"); empty asks nobody. Read at start-up and, like the other
    // release keys, never written at exit: it is set by whoever installs the program.
    QString releaseIndexUrl;
    // "UPDATER"/"Program": the firmware update tool that the bus view starts for a device.
    // Set by whoever installs it, never written at exit; empty: none is installed.
    QString updaterProgram;
    // "COLLECT"/"Pacing": how the bus collection spends its pauses, "replies" (a device's
    // pause ends once its report is in) or "fixed" (every pause runs its full length). Set
    // by hand, never written at exit.
    QString collectPacing = QStringLiteral("replies");
    // "COLLECT"/"Concurrent": 1 collects every gateway's bus at the same time, each in the
    // order of its own; 0 one gateway after another. Set by hand, never written at exit.
    int collectConcurrent = 1;
    // "UPLOAD"/"Concurrent": 1 uploads every gateway, and every bus's devices, at the same
    // time, each in its own order; 0 one device after another. Set by hand, never written
    // at exit.
    int uploadConcurrent = 1;

    // "Device": start addresses of the virtual keypads, read only.
    struct KeypadStart {
        int zone = 0;
        int group = 0;
        int node = 0;
    };
    std::array<KeypadStart, 6> keypadStarts{
        {{1, 1, 0}, {1, 2, 0}, {1, 1, 0}, {1, 2, 0}, {1, 0, 0}, {2, 1, 0}}};
    int keypadType = 1;

    // Not stored: the folder that relative file names ("Log Filename", the error log) are
    // resolved against, set by the program at start-up; empty: the working folder.
    QString dataFolder;
    // Not stored: the file these settings are kept in, set by the program at start-up
    // (the About box shows it); empty when they are kept elsewhere.
    QString settingsFile;

    // "Log Filename" resolved against the data folder (made when missing); an absolute
    // name as it is.
    QString logFilePath() const;
    qint64 logLimitBytes() const;

    // The per-user store of this platform (INI format).
    static std::unique_ptr<QSettings> openUserStore();
    // A store in the given INI file, for tests and portable installs.
    static std::unique_ptr<QSettings> openFileStore(const QString& path);

    void load(QSettings& store);
    void save(QSettings& store) const;

    // The release check of start-up: when the stored release differs from this program's
    // (major * 256 + minor), store it and forget any announced newer release.
    static void checkRelease(QSettings& store, int major, int minor);
    static bool newerReleaseAnnounced(QSettings& store);
    static void setNewerReleaseAnnounced(QSettings& store, bool announced);
};
