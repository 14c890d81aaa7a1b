#pragma once

#include "journal/CJournalEntry.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <pugixml.hpp>
#include <vector>

// The hand-over report of a site as one HTML file with nothing outside it (styles inline,
// no scripts, no images), so that it opens anywhere and prints well; the PDF is the same
// HTML laid out by Qt's own printing classes (CReportPdf). It holds a title block, a
// summary (the gateways, the bus devices behind each, the counts by type), every device's
// settings, and, when given, what differs from a project (the rows an upload preview
// shows) and the changes of a journal in order. Every text that came from a device or a
// file is escaped. The values of credentials (the schema's secret settings) read "(set)"
// or "(empty)" unless the secrets are asked for.
class CSiteReport {
public:
    struct Input {
        const pugi::xml_document* map = nullptr;     // the plan or a map file; required
        const pugi::xml_document* schema = nullptr;  // required
        const pugi::xml_document* project = nullptr;
        QString projectName;
        const std::vector<CJournalEntry>* journal = nullptr;
        QString title;
        QDateTime written;  // shown in the title block, in UTC
        QString version;    // the program's
        bool withSecrets = false;
    };

    static QByteArray html(const Input& input);
    // "&lt;script&gt;": text that can stand anywhere in the HTML.
    static QByteArray escape(QByteArrayView text);
};
