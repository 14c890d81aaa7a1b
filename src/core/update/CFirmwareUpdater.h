#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <optional>

struct CBusTarget;
class IProgramLauncher;

// The firmware update tool, started for one bus device behind one gateway with the command
// line it has always been given: "/I <gateway> /N UBRIX GEN3 /P KLOMB" and "/S <serial>"
// for a device known by its serial number, "/U <uid>" otherwise. The updating itself is
// the tool's business. Where the tool is installed is a setting (CSettings::updaterProgram).
class CFirmwareUpdater {
public:
    enum class Launch { Started, NotConfigured, Failed };

    static constexpr const char* kNotConfigured =
        "No firmware updater is installed: set its program under [UPDATER] Program in the "
        "settings file.";
    // "%1" is the program.
    static constexpr const char* kFailed = "The firmware updater %1 could not be started";

    static QStringList arguments(QByteArrayView gateway, QByteArrayView deviceAttribute,
                                 quint32 deviceNumber);
    // The arguments for the target's device (the bus view's Update on the device or one of
    // its sections); nothing for the root or a gateway.
    static std::optional<QStringList> argumentsFor(const CBusTarget& target);
    static Launch launch(IProgramLauncher& launcher, const QString& program,
                         const QStringList& arguments);
    // What the user is told about a launch that did not start the tool; empty when it did.
    static QString message(Launch outcome, const QString& program);
    // Starts the tool for the target's device; what the user is told, empty when the tool
    // started or the target has no device.
    static QString startFor(const CBusTarget& target, IProgramLauncher& launcher,
                            const QString& program);
};
