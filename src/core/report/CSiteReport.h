#pragma once

#include "core/journal/CJournalEntry.h"
#include "core/report/CReportDocument.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <pugixml.hpp>
#include <vector>

// The hand-over report of a site: a title block, a summary (the gateways, the bus devices
// behind each, the counts by type), when given what differs from a project (the rows an
// upload preview shows) and the changes of a journal in order, and last every device's
// settings. Built as content (CReportDocument) that CReportHtml writes as one HTML file and
// CReportPdf paints as a PDF. The values of credentials (the schema's secret settings) read
// "(set)" or "(empty)" unless the secrets are asked for.
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

    static CReportDocument document(const Input& input);
    static QByteArray html(const Input& input);
};
