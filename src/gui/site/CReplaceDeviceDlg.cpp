#include "gui/site/CReplaceDeviceDlg.h"

#include "core/common/CXmlFile.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/replace/CReplacement.h"
#include "core/settings/CSettings.h"
#include "core/site/CSiteInventory.h"
#include "core/transport/CIpv4Address.h"
#include "core/upload/CTransportUploadLink.h"
#include "core/upload/CUploadListing.h"
#include "gui/base/CDialogService.h"
#include "gui/base/CMessageBoxNotifier.h"
#include "gui/base/CModalRunner.h"
#include "gui/base/CViewContext.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const char* const kXmlFilter = "Xml Files (*.xml)|*.xml||";
// The candidate that is not yet known: whichever device's discover button is pressed.
constexpr qint64 kByButton = -1;

}  // namespace

CReplaceDeviceDlg::CReplaceDeviceDlg(const CViewContext& context, quint32 gateway,
                                     const CReplacementProject& project, QWidget* parent)
    : QDialog(parent),
      m_context(context),
      m_gateway(gateway),
      m_project(project),
      m_stage(new QLabel(this)),
      m_candidates(new QListWidget(this)),
      m_rows(new QTreeWidget(this)),
      m_replace(new QPushButton(QStringLiteral("Replace"), this)),
      m_notifier(std::make_unique<CMessageBoxNotifier>()),
      m_link(std::make_unique<CTransportUploadLink>(
          context.transport, *m_notifier,
          // The UID was given by the replacement: a device the upload does not find is
          // passed over, and the summary says so.
          [](const QString&) { return IUploadLink::Answer::No; })) {
    const CUploadDevice& device = project.device();
    setWindowTitle(QStringLiteral("Replace device"));
    m_candidates->setObjectName(QStringLiteral("candidates"));
    m_rows->setObjectName(QStringLiteral("rows"));
    m_stage->setObjectName(QStringLiteral("stage"));
    m_replace->setObjectName(QStringLiteral("replace"));
    m_stage->setText(QStringLiteral("UID %1 (%2) behind %3: which new device takes its place?")
                         .arg(device.uid)
                         .arg(QString::fromStdString(device.type.value_or(std::string())),
                              QString::fromLatin1(CIpv4Address::toDotted(gateway))));
    fillCandidates();

    CUploadSummary preview = project.preview(context.doc.schema());
    preview.hideSecrets();
    m_rows->setColumnCount(3);
    m_rows->setHeaderLabels(
        {QStringLiteral("Setting"), QStringLiteral("Value"), QStringLiteral("What happens")});
    for (const CUploadRow& row : preview.devices.front().rows) {
        QString action = CUploadListing::rowAction(row, true);
        if (row.isSent()) {
            action = QStringLiteral("sent when the new device holds another value");
        }
        new QTreeWidgetItem(m_rows, {QString::fromUtf8(row.placeText()),
                                     QString::fromStdString(row.setting.value), action});
    }
    m_rows->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->addButton(m_replace, QDialogButtonBox::AcceptRole);
    connect(m_replace, &QPushButton::clicked, this, &CReplaceDeviceDlg::start);
    connect(buttons, &QDialogButtonBox::rejected, this, &CReplaceDeviceDlg::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_stage);
    layout->addWidget(m_candidates);
    layout->addWidget(new QLabel(QStringLiteral("The settings it gets:"), this));
    layout->addWidget(m_rows);
    layout->addWidget(buttons);
    resize(640, 480);
}

CReplaceDeviceDlg::~CReplaceDeviceDlg() {
    // A run never outlives the window it reports to.
    if (m_replacement) {
        m_replacement->stop();
    }
}

// The devices known only by their serial number behind the gateway whose type, when known,
// is the old one's; then the one whose discover button is pressed next.
void CReplaceDeviceDlg::fillCandidates() {
    const std::string gateway = CIpv4Address::toDotted(m_gateway).toStdString();
    const CSiteInventory site = CSiteInventory::of(m_context.doc.plan());
    for (const CSiteDevice& device : site.devices()) {
        if (device.hasUid() || device.gateway != gateway ||
            (device.type && device.type != m_project.device().type)) {
            continue;
        }
        auto* item = new QListWidgetItem(QString::fromUtf8(device.label()), m_candidates);
        item->setData(Qt::UserRole, QByteArray::fromStdString(device.number).toLongLong());
    }
    auto* button = new QListWidgetItem(
        QStringLiteral("The device whose discover button is pressed next"), m_candidates);
    button->setData(Qt::UserRole, kByButton);
    m_candidates->setCurrentRow(0);
}

void CReplaceDeviceDlg::start() {
    const QListWidgetItem* chosen = m_candidates->currentItem();
    if (chosen == nullptr || m_replacement) {
        return;
    }
    CReplacement::Target target;
    target.kind = CUploadDevice::Kind::BusDevice;
    target.gateway = m_gateway;
    const qint64 serial = chosen->data(Qt::UserRole).toLongLong();
    if (serial != kByButton) {
        target.serial = static_cast<quint32>(serial);
    }
    CUploadOptions options;
    options.pacing = m_context.settings.pacing == 0 ? CPacing::Fixed : CPacing::ByReplies;
    m_replacing =
        std::make_unique<CChangeJournal::Activity>(m_context.journal, QStringLiteral("replace"));
    m_replacement =
        std::make_unique<CReplacement>(m_context.doc, *m_link, m_project, target, options);
    connect(m_replacement.get(), &CReplacement::stageChanged, m_stage, &QLabel::setText);
    // Queued: the run's last step is still on the stack when it tells its end.
    connect(m_replacement.get(), &CReplacement::finished, this, &CReplaceDeviceDlg::finished,
            Qt::QueuedConnection);
    m_candidates->setEnabled(false);
    m_replace->setEnabled(false);
    m_replacement->start(m_context.sequencer);
}

void CReplaceDeviceDlg::finished() {
    m_replacing.reset();
    QStringList lines{m_replacement->describe()};
    if (!m_replacement->summary().devices.empty()) {
        CUploadSummary summary = m_replacement->summary();
        summary.hideSecrets();
        lines << summary.lines();
    }
    const bool replaced = m_replacement->outcome() == CReplacement::Outcome::Replaced;
    CDialogService::message(lines.join(QLatin1Char('\n')), QMessageBox::Ok,
                            replaced ? QMessageBox::Information : QMessageBox::Warning,
                            windowTitle());
    done(replaced ? QDialog::Accepted : QDialog::Rejected);
}

void CReplaceDeviceDlg::reject() {
    // Esc and the close box: a run ends at once, and its end closes the dialog.
    if (m_replacement && !m_replacement->isFinished()) {
        m_replacement->stop();
        return;
    }
    QDialog::reject();
}

void CReplaceDeviceDlg::open(const CViewContext& context, quint32 gateway, int uid,
                             QWidget* parent) {
    const QString path = CDialogService::openFileName(
        QStringLiteral("xml"), context.settings.mapFilename, QString::fromLatin1(kXmlFilter));
    if (path.isEmpty()) {
        return;
    }
    pugi::xml_document file;
    QString reason;
    std::unique_ptr<CReplacementProject> project;
    if (CXmlFile::load(path, file, reason)) {
        project = CReplacementProject::busDevice(file, uid, context.doc.schema(), reason);
    }
    if (!project) {
        CDialogService::message(QStringLiteral("%1:\n%2").arg(path, reason));
        return;
    }
    CReplaceDeviceDlg dialog(context, gateway, *project, parent);
    CModalRunner::exec(dialog);
}
