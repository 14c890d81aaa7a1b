#include "cli/CCliTrafficPrinter.h"

#include "cli/CCliOptions.h"
#include "cli/CCliSession.h"

#include "core/protocol/CTrafficLineParts.h"
#include "core/protocol/CTrafficRendering.h"

#include <QCommandLineParser>
#include <QJsonObject>

void CCliTrafficPrinter::configure(const QCommandLineParser& parser) {
    m_json = parser.isSet(CCliOptions::json().names().front());
    m_showTime = !parser.isSet(CCliOptions::noTime().names().front());
    m_showSender = !parser.isSet(CCliOptions::noSender().names().front());
}

bool CCliTrafficPrinter::print(CCliSession& session, const QByteArray& line) const {
    if (!m_filter.matches(line)) {
        return false;
    }
    if (!m_json) {
        session.printBytes(CTrafficRendering::render(line, m_showTime, m_showSender) + '\n');
        return true;
    }
    const CTrafficLineParts parts = CTrafficLineParts::of(line);
    // One character per byte: a script gets the device's bytes back with Latin-1.
    session.printJson(QJsonObject{
        {QStringLiteral("time"), QString::fromLatin1(parts.time)},
        {QStringLiteral("sender"), QString::fromLatin1(parts.sender)},
        {QStringLiteral("text"), QString::fromLatin1(parts.text)},
    });
    return true;
}
