#pragma once

#include "core/protocol/CTrafficFilter.h"

#include <QByteArray>

class CCliSession;
class QCommandLineParser;

// Prints traffic lines as they come in, for send and monitor: the line as the traffic
// view shows it (bytes unchanged), or with --json one object per line with its time,
// sender and text.
class CCliTrafficPrinter {
public:
    // Takes --json, --no-time and --no-sender.
    void configure(const QCommandLineParser& parser);
    void setFilter(const CTrafficFilter& filter) { m_filter = filter; }
    // Prints the line when the filter lets it through; true when it did.
    bool print(CCliSession& session, const QByteArray& line) const;

private:
    CTrafficFilter m_filter;
    bool m_json = false;
    bool m_showTime = true;
    bool m_showSender = true;
};
