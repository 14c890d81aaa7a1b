#include "gui/upload/CUploadPreviewDlg.h"

#include "core/upload/CUploadListing.h"
#include "core/upload/CUploadSummary.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

CUploadPreviewDlg::CUploadPreviewDlg(const CUploadSummary& preview, bool pacedByReplies,
                                     QWidget* parent)
    : QDialog(parent),
      m_rows(new QTreeWidget(this)),
      m_pacedByReplies(new QCheckBox(
          QStringLiteral("Go on as soon as each device has answered (else wait every pause out)"),
          this)) {
    setWindowTitle(QStringLiteral("Upload preview"));
    m_rows->setObjectName(QStringLiteral("rows"));
    m_pacedByReplies->setObjectName(QStringLiteral("pacedByReplies"));
    m_rows->setColumnCount(5);
    m_rows->setHeaderLabels({QStringLiteral("Setting"), QStringLiteral("Project"),
                             QStringLiteral("Device"), QStringLiteral("What happens"),
                             QStringLiteral("Command")});
    for (const CDeviceOutcome& device : preview.devices) {
        auto* deviceItem = new QTreeWidgetItem(m_rows);
        deviceItem->setText(0, QString::fromUtf8(device.label));
        deviceItem->setText(
            2, device.reportedType ? QString::fromStdString(*device.reportedType) : QString());
        deviceItem->setText(3, QString::fromLatin1(CDeviceOutcome::statusName(device.status)));
        for (const CUploadRow& row : device.rows) {
            auto* item = new QTreeWidgetItem(deviceItem);
            item->setText(0, QString::fromUtf8(row.placeText()));
            item->setText(1, QString::fromStdString(row.setting.value));
            item->setText(2, row.reported ? QString::fromStdString(*row.reported) : QString());
            QString action = CUploadListing::rowAction(row, true);
            if (!row.refusal.isEmpty()) {
                action += QStringLiteral(" (") + row.refusal + QLatin1Char(')');
            }
            item->setText(3, action);
            item->setText(4, QString::fromLatin1(row.command));
        }
    }
    m_rows->expandAll();
    m_rows->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->addButton(QStringLiteral("Upload"), QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    const CUploadSummary::Counts counts = preview.counts();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral("%1 setting(s) to send, %2 already set, %3 skipped; %4 device(s) not "
                       "found, %5 of another type.")
            .arg(counts.toSend)
            .arg(counts.matched)
            .arg(counts.skipped + counts.notApplied)
            .arg(counts.notFound)
            .arg(counts.typeMismatch),
        this));
    layout->addWidget(m_rows);
    m_pacedByReplies->setChecked(pacedByReplies);
    layout->addWidget(m_pacedByReplies);
    layout->addWidget(buttons);
    resize(760, 420);
}

bool CUploadPreviewDlg::pacedByReplies() const {
    return m_pacedByReplies->isChecked();
}
