#include "core/protocol/CTrafficExport.h"

#include "core/protocol/CTrafficLine.h"
#include "core/protocol/CTrafficLineParts.h"
#include "core/protocol/CWireText.h"

#include <QSaveFile>

namespace {

// A field is quoted when it holds a quote, a comma or a line break; quotes inside are
// doubled (RFC 4180).
QByteArray csvField(QByteArrayView received) {
    QByteArray field = CWireText::toDisplay(received).toUtf8();
    const bool quoted =
        field.contains('"') || field.contains(',') || field.contains('\r') || field.contains('\n');
    if (!quoted) {
        return field;
    }
    QByteArray escaped = field;
    escaped.replace("\"", "\"\"");
    return '"' + escaped + '"';
}

}  // namespace

CTrafficExport::Format CTrafficExport::formatFor(const QString& path) {
    return path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive) ? Format::Csv : Format::Text;
}

QByteArray CTrafficExport::text(const QList<QByteArray>& shown) {
    QByteArray content;
    for (const QByteArray& line : shown) {
        content += CWireText::toDisplay(line).toUtf8();
        content += '\n';
    }
    return content;
}

QByteArray CTrafficExport::csv(const QList<QByteArray>& received) {
    QByteArray content = "time,sender,text\r\n";
    for (const QByteArray& line : received) {
        const CTrafficLineParts parts = CTrafficLineParts::of(line);
        const QByteArray sender = parts.sent ? CTrafficLine::kSentMark + parts.sender.toByteArray()
                                             : parts.sender.toByteArray();
        content +=
            csvField(parts.time) + ',' + csvField(sender) + ',' + csvField(parts.text) + "\r\n";
    }
    return content;
}

QString CTrafficExport::save(const QString& path, const QByteArray& content) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() ||
        !file.commit()) {
        return file.errorString();
    }
    return {};
}
