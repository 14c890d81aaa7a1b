#include "CAboutDlg.h"

#include "CProgramIcon.h"
#include "Version.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

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

CAboutDlg::CAboutDlg(std::optional<Version> version, QWidget* parent)
    : QDialog(parent),
      m_version(new QLineEdit(versionText(version), this)),
      m_notice(new QLineEdit(QString::fromLatin1(kNotice), this)) {
    setWindowTitle(QStringLiteral("About Ubrix Vorel"));
    m_version->setObjectName(QStringLiteral("version"));
    m_notice->setObjectName(QStringLiteral("notice"));
    m_version->setReadOnly(true);
    m_notice->setReadOnly(true);
    m_version->setFrame(false);
    m_notice->setFrame(false);

    auto* icon = new QLabel(this);
    icon->setPixmap(CProgramIcon::icon().pixmap(48, 48));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(m_version, 0, 1);
    layout->addWidget(m_notice, 1, 1);
    layout->addWidget(buttons, 0, 2, Qt::AlignTop);
    m_notice->setMinimumWidth(m_notice->fontMetrics().horizontalAdvance(m_notice->text()) + 12);
}
