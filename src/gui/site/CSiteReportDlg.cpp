#include "gui/site/CSiteReportDlg.h"

#include "core/common/Version.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/journal/CChangeJournal.h"
#include "core/journal/CJournalFile.h"
#include "core/report/CReportHtml.h"
#include "core/report/CSiteReport.h"
#include "gui/base/CDialogService.h"
#include "gui/base/CModalRunner.h"
#include "gui/base/CViewContext.h"
#include "print/CReportPdf.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLineEdit>
#include <QSaveFile>
#include <QVBoxLayout>

namespace {
const char* const kReportFilter = "HTML Files (*.html)|*.html|PDF Files (*.pdf)|*.pdf||";
}  // namespace

CSiteReportDlg::CSiteReportDlg(const CViewContext& context, QWidget* parent)
    : QDialog(parent),
      m_context(context),
      m_title(new QLineEdit(QStringLiteral("Site report"), this)),
      m_withSecrets(new QCheckBox(QStringLiteral("Show passwords and passphrases"), this)),
      m_withProject(new QCheckBox(QStringLiteral("What differs from the open project"), this)),
      m_withJournal(new QCheckBox(QStringLiteral("The changes sent, from the journal"), this)) {
    setWindowTitle(QStringLiteral("Site Report"));
    m_title->setObjectName(QStringLiteral("title"));
    m_withSecrets->setObjectName(QStringLiteral("withSecrets"));
    m_withProject->setObjectName(QStringLiteral("withProject"));
    m_withJournal->setObjectName(QStringLiteral("withJournal"));
    m_withProject->setEnabled(context.doc.hasTemplate());
    m_withProject->setChecked(context.doc.hasTemplate());
    const bool journalled = QFileInfo::exists(journalPath());
    m_withJournal->setEnabled(journalled);
    m_withJournal->setChecked(journalled);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->addButton(QStringLiteral("Write..."), QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Title"), m_title);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_withProject);
    layout->addWidget(m_withJournal);
    layout->addWidget(m_withSecrets);
    layout->addWidget(buttons);
}

QString CSiteReportDlg::journalPath() const {
    return m_context.journal != nullptr ? m_context.journal->path() : QString();
}

QString CSiteReportDlg::write(const QString& path) const {
    std::vector<CJournalEntry> journal;
    QString reason;
    if (m_withJournal->isChecked() && !CJournalFile::read(journalPath(), journal, reason)) {
        return reason;
    }
    const bool withProject = m_withProject->isChecked() && m_context.doc.hasTemplate();
    CSiteReport::Input input;
    input.map = &m_context.doc.plan();
    input.schema = &m_context.doc.schema();
    input.project = withProject ? m_context.doc.templateDocument() : nullptr;
    input.projectName = QFileInfo(m_context.doc.templatePath()).fileName();
    input.journal = m_withJournal->isChecked() ? &journal : nullptr;
    input.title = m_title->text();
    input.written = QDateTime::currentDateTimeUtc();
    input.version = QLatin1String(vorel::version::kText);
    input.withSecrets = m_withSecrets->isChecked();
    const CReportDocument report = CSiteReport::document(input);
    if (QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0) {
        return CReportPdf::write(report, path, reason) ? QString() : reason;
    }
    const QByteArray html = CReportHtml::of(report);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(html) != html.size() || !file.commit()) {
        return file.errorString();
    }
    return {};
}

void CSiteReportDlg::open(const CViewContext& context, QWidget* parent) {
    CSiteReportDlg dialog(context, parent);
    if (CModalRunner::exec(dialog) != QDialog::Accepted) {
        return;
    }
    const QString path = CDialogService::saveFileName(
        QStringLiteral("html"), QStringLiteral("report.html"), QString::fromLatin1(kReportFilter),
        CDialogService::OverwritePrompt::Yes);
    if (path.isEmpty()) {
        return;
    }
    const QString failure = dialog.write(path);
    CDialogService::message(failure.isEmpty()
                                ? QStringLiteral("Report written to %1").arg(path)
                                : QStringLiteral("The report was not written:\n%1").arg(failure));
}
