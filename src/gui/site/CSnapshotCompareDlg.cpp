#include "gui/site/CSnapshotCompareDlg.h"

#include "core/common/CXmlFile.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/settings/CSettings.h"
#include "core/site/CSiteComparison.h"
#include "core/site/CSnapshotStamp.h"
#include "gui/base/CDialogService.h"
#include "gui/base/CModalRunner.h"
#include "gui/base/CViewContext.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const char* const kXmlFilter = "Xml Files (*.xml)|*.xml||";

QString text(const std::optional<std::string>& value) {
    return value ? QString::fromStdString(*value) : QStringLiteral("(none)");
}

QString headingFor(const QString& path, const std::optional<CSnapshotStamp>& stamp,
                   size_t differences) {
    QString snapshot = QFileInfo(path).fileName();
    if (stamp) {
        snapshot += QStringLiteral(" (taken %1 through %2)")
                        .arg(stamp->taken.toString(Qt::ISODate), stamp->adapter);
    }
    if (differences == 0) {
        return QStringLiteral("The site reported in this session what the snapshot %1 holds.")
            .arg(snapshot);
    }
    return QStringLiteral(
               "%1 difference(s) between the snapshot %2 and what the site reported "
               "in this session.")
        .arg(differences)
        .arg(snapshot);
}

}  // namespace

CSnapshotCompareDlg::CSnapshotCompareDlg(const std::vector<CSiteDifference>& differences,
                                         const QString& heading, QWidget* parent)
    : QDialog(parent), m_heading(new QLabel(heading, this)), m_rows(new QTreeWidget(this)) {
    setWindowTitle(QStringLiteral("Compare with Snapshot"));
    m_rows->setObjectName(QStringLiteral("differences"));
    m_rows->setColumnCount(4);
    m_rows->setHeaderLabels({QStringLiteral("Device and setting"), QStringLiteral("Change"),
                             QStringLiteral("Snapshot"), QStringLiteral("This session")});
    QTreeWidgetItem* device = nullptr;
    for (const CSiteDifference& difference : differences) {
        const QString label = QString::fromUtf8(difference.device);
        if (device == nullptr || device->text(0) != label) {
            device = new QTreeWidgetItem(m_rows, {label});
        }
        const bool isSetting = difference.kind == CSiteDifference::Kind::Setting;
        new QTreeWidgetItem(device,
                            {isSetting ? QString::fromUtf8(difference.place) : QString(),
                             QString::fromLatin1(CSiteDifference::kindName(difference.kind)),
                             text(difference.before), text(difference.after)});
    }
    m_rows->expandAll();
    m_rows->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    m_heading->setObjectName(QStringLiteral("heading"));
    m_heading->setWordWrap(true);
    layout->addWidget(m_heading);
    layout->addWidget(m_rows);
    layout->addWidget(buttons);
    resize(760, 420);
}

void CSnapshotCompareDlg::open(const CViewContext& context, QWidget* parent) {
    const QString path = CDialogService::openFileName(
        QStringLiteral("xml"), context.settings.mapFilename, QString::fromLatin1(kXmlFilter));
    if (path.isEmpty()) {
        return;
    }
    pugi::xml_document snapshot;
    QString reason;
    if (!CXmlFile::load(path, snapshot, reason) || !snapshot.child("Plan")) {
        CDialogService::message(
            QStringLiteral("%1 is no map file:\n%2")
                .arg(path, reason.isEmpty() ? QStringLiteral("it has no Plan") : reason));
        return;
    }
    // Live readings left out and credentials masked, as vorel-cli compare shows them.
    const std::vector<CSiteDifference> differences =
        CSiteComparison::compare(CSiteInventory::of(snapshot),
                                 CSiteInventory::of(context.doc.plan()), context.doc.schema(), {});
    CSnapshotCompareDlg dialog(
        differences, headingFor(path, CSnapshotStamp::of(snapshot), differences.size()), parent);
    CModalRunner::exec(dialog);
}
