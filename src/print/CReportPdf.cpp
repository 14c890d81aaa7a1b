#include "CReportPdf.h"

#include <QGuiApplication>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

bool CReportPdf::write(const QByteArray& html, const QString& title, const QString& path,
                       QString& reason) {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        reason = QStringLiteral("writing a PDF needs the GUI application");
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        reason = file.errorString();
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setTitle(title);
        writer.setCreator(QCoreApplication::applicationName());
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        QTextDocument document;
        document.setHtml(QString::fromUtf8(html));
        document.print(&writer);
    }
    if (!file.commit()) {
        reason = file.errorString();
        return false;
    }
    return true;
}
