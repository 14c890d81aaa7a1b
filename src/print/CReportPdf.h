#pragma once

#include <QByteArray>
#include <QString>

// A report's HTML as a PDF on A4 pages, laid out by QTextDocument and written by
// QPdfWriter: no browser, no library beyond Qt. It needs a QGuiApplication (fonts come from
// the platform; vorel-cli makes one on the offscreen platform for this alone). The file is
// replaced only once it is complete.
class CReportPdf {
public:
    static bool write(const QByteArray& html, const QString& title, const QString& path,
                      QString& reason);
};
