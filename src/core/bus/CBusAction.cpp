#include "core/bus/CBusAction.h"

bool CBusAwaited::isAnnouncedBy(QByteArrayView sender, QByteArrayView announcedAttribute,
                                quint32 announcedNumber) const {
    return (gateway.isEmpty() || sender == gateway) && announcedAttribute == attribute &&
           announcedNumber == number;
}

QString CBusAction::sentLine(bool sent) const {
    const QString text = QString::fromLatin1(command);
    return sent ? QStringLiteral("%1: sent %2 to %3.").arg(name, text, to)
                : QStringLiteral("%1: %2 could not be sent to %3.").arg(name, text, to);
}
