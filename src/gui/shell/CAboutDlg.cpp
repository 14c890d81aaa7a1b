#include "gui/shell/CAboutDlg.h"

#include "core/common/Version.h"
#include "gui/base/CProgramIcon.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

constexpr int kIconSize = 64;
// Between the groups of the dialog: the name and version, the notice and licence, the files.
constexpr int kGroupGap = 12;

// Read-only text a user can select and copy, as a dialog shows it: no box around it.
QLabel* textLabel(const QString& text, const QString& name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QLabel* titleLabel(QWidget* parent) {
    auto* title = new QLabel(QStringLiteral("Ubrix Vorel"), parent);
    title->setObjectName(QStringLiteral("product"));
    QFont font = title->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.4);
    title->setFont(font);
    return title;
}

}  // namespace

CAboutDlg::Version CAboutDlg::buildVersion() {
    return Version{static_cast<unsigned>(vorel::version::kMajor),
                   static_cast<unsigned>(vorel::version::kMinor),
                   static_cast<unsigned>(vorel::version::kBuild)};
}

QString CAboutDlg::versionText(const std::optional<Version>& version) {
    if (!version) {
        return QString();
    }
    return QString::asprintf("Version %u.%u build %u", version->major, version->minor,
                             version->build);
}

CAboutDlg::CAboutDlg(std::optional<Version> version, const Locations& locations, QWidget* parent)
    : QDialog(parent),
      m_version(textLabel(versionText(version), QStringLiteral("version"), this)),
      m_notice(textLabel(QString::fromLatin1(kNotice), QStringLiteral("notice"), this)) {
    setWindowTitle(QStringLiteral("About Ubrix Vorel"));

    auto* icon = new QLabel(this);
    icon->setPixmap(CProgramIcon::icon().pixmap(kIconSize, kIconSize));

    auto* text = new QVBoxLayout;
    text->addWidget(titleLabel(this));
    text->addWidget(m_version);
    text->addSpacing(kGroupGap);
    text->addWidget(m_notice);
    text->addWidget(textLabel(QString::fromUtf8(kLicence), QStringLiteral("licence"), this));

    auto* files = new QFormLayout;
    if (!locations.settingsFile.isEmpty()) {
        files->addRow(QStringLiteral("Settings:"),
                      textLabel(QDir::toNativeSeparators(locations.settingsFile),
                                QStringLiteral("settingsFile"), this));
    }
    if (!locations.logFolder.isEmpty()) {
        files->addRow(QStringLiteral("Logs:"),
                      textLabel(QDir::toNativeSeparators(locations.logFolder),
                                QStringLiteral("logFolder"), this));
    }
    text->addSpacing(kGroupGap);
    text->addLayout(files);

    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addSpacing(kGroupGap);
    top->addLayout(text, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
