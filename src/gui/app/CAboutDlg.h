#pragma once

#include <QDialog>
#include <optional>

class QLineEdit;

// "About Ubrix Vorel": the program's icon, its version and a one-line notice.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    struct Version {
        unsigned major = 0;
        unsigned minor = 0;
        unsigned build = 0;
    };

    static constexpr const char* kNotice =
        "Set up and control Ubrix gateways and the devices on their KV bus.";

    // The version of this build.
    static Version buildVersion();
    // "Version %u.%u build %u"; empty when the version is not known.
    static QString versionText(const std::optional<Version>& version);

    explicit CAboutDlg(std::optional<Version> version = buildVersion(), QWidget* parent = nullptr);

private:
    QLineEdit* m_version;
    QLineEdit* m_notice;
};
