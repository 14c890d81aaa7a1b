#include "core/plan/CGatewayName.h"

#include "core/common/CXPathQuery.h"
#include "core/transport/CIpv4Address.h"

QString CGatewayName::of(const pugi::xml_document& plan, quint32 address) {
    const QString dotted = QString::fromLatin1(CIpv4Address::toDotted(address));
    if (const std::optional<QString> known = name(plan, address)) {
        return QStringLiteral("%1 (%2)").arg(*known, dotted);
    }
    return dotted;
}

std::optional<QString> CGatewayName::name(const pugi::xml_document& plan, quint32 address) {
    CXPathQuery query("//Device_Configuration/UBRIX[@IP = $ip]/NAME", {"ip"});
    query.set("ip", CIpv4Address::toDotted(address).toStdString());
    for (const pugi::xpath_node& hit : query.select(plan)) {
        const QString text = QString::fromUtf8(hit.node().text().get());
        if (!text.isEmpty()) {
            return text;
        }
    }
    return std::nullopt;
}
