#pragma once

#include <QDialog>
#include <QLabel>
#include <optional>

// "About Ubrix Vorel": the program's icon and name, its version, a one-line notice, the
// licence, and where the program keeps its files.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    struct Version {
        unsigned major = 0;
        unsigned minor = 0;
        unsigned build = 0;
    };

    // Where this run keeps its files; an empty one is not shown.
    struct Locations {
        QString settingsFile;
        QString logFolder;
    };

    static constexpr const char* kNotice =
        "Set up and control Ubrix gateways and the devices on their KV bus.";
    static constexpr const char* kLicence = "Copyright \u00a9 2026 Quenlow. All rights reserved.";

    // The version of this build.
    static Version buildVersion();
    // "Version %u.%u build %u"; empty when the version is not known.
    static QString versionText(const std::optional<Version>& version);

    explicit CAboutDlg(std::optional<Version> version = buildVersion(),
                       const Locations& locations = {}, QWidget* parent = nullptr);

private:
    QLabel* m_version;
    QLabel* m_notice;
};
