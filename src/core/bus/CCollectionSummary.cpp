#include "core/bus/CCollectionSummary.h"

namespace {
// The end message names this many reports at most; the traffic shows the rest.
constexpr size_t kNamedInMessage = 10;
}  // namespace

QString CCollectionSummary::Incomplete::label() const {
    const QString at = QString::fromLatin1(gateway);
    return uid ? QStringLiteral("UID %1 behind %2").arg(*uid).arg(at)
               : QStringLiteral("gateway %1").arg(at);
}

QString CCollectionSummary::Incomplete::line() const {
    if (!answered) {
        return label() + QStringLiteral(" did not answer");
    }
    QStringList places;
    for (const CSettingAddress& address : missing) {
        places << QString::fromLatin1(address.text());
    }
    return label() + QStringLiteral(" did not report ") + places.join(QStringLiteral(", "));
}

QString CCollectionSummary::endMessage() const {
    if (isComplete()) {
        return {};
    }
    QStringList lines{QStringLiteral("Collected %1 gateway(s) and %2 bus device(s); %3 of them "
                                     "did not report everything, even when asked again:")
                          .arg(gatewaysAsked)
                          .arg(devicesAsked)
                          .arg(incomplete.size())};
    for (size_t i = 0; i < incomplete.size() && i < kNamedInMessage; ++i) {
        lines << incomplete[i].line();
    }
    if (incomplete.size() > kNamedInMessage) {
        lines << QStringLiteral("and %1 more.").arg(incomplete.size() - kNamedInMessage);
    }
    return lines.join(QLatin1Char('\n'));
}
