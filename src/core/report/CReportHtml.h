#pragma once

#include "core/report/CReportDocument.h"

#include <QByteArray>
#include <QByteArrayView>

// A report as one HTML file with nothing outside it: its styles inline, no scripts, no
// images, so that it opens anywhere and prints well. Every text is escaped.
class CReportHtml {
public:
    static QByteArray of(const CReportDocument& report);
    // "&lt;script&gt;": text that can stand anywhere in the HTML.
    static QByteArray escape(QByteArrayView text);
};
