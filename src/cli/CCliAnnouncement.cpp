#include "cli/CCliAnnouncement.h"

#include "core/protocol/CTrafficLineParts.h"

std::optional<CCliAnnouncement> CCliAnnouncement::of(QByteArrayView line) {
    const CTrafficLineParts parts = CTrafficLineParts::of(line);
    const QByteArrayView text = parts.text.trimmed();
    for (const char* attribute : {"UID", "SN"}) {
        const QByteArray marker = QByteArray("+") + attribute;
        if (!text.startsWith(marker)) {
            continue;
        }
        QByteArrayView digits = text.sliced(marker.size());
        if (digits.endsWith(';')) {
            digits.chop(1);
        }
        bool isNumber = false;
        const quint32 number = digits.toUInt(&isNumber);
        if (!isNumber) {
            return std::nullopt;
        }
        return CCliAnnouncement{parts.sender.toByteArray(), attribute, number};
    }
    return std::nullopt;
}
