#pragma once

#include <QString>

struct CReportDocument;

// A report as a PDF on A4 pages, painted with Qt's own printing classes (QPdfWriter and
// QPainter, from Qt Gui): no browser, no library beyond Qt. Headings and tables are laid
// out here, page by page, with a table's header repeated on every page it spans and a
// heading kept with what follows it; text is set from pre-shaped glyph runs of the
// platform's default font, cached per text, which keeps a report of thousands of devices
// (hundreds of thousands of cells) to seconds. A cell too wide for its column ends in an
// ellipsis. It needs a QGuiApplication (vorel-cli makes one on the offscreen platform for
// this alone). The file is replaced only once it is complete.
class CReportPdf {
public:
    static bool write(const CReportDocument& report, const QString& path, QString& reason);
};
