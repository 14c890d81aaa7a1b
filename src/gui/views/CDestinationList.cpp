#include "gui/views/CDestinationList.h"

#include "core/transport/CIpv4Address.h"
#include "core/transport/CTransport.h"

#include <arpa/inet.h>
#include <algorithm>

QList<CDestinationList::Gateway> CDestinationList::gatewaysOf(const pugi::xml_document& plan) {
    QList<Gateway> gateways;
    for (const pugi::xml_node& configuration :
         plan.document_element().children("Device_Configuration")) {
        for (const pugi::xml_node& element : configuration.children("UBRIX")) {
            const pugi::xml_node name = element.child("NAME");
            if (!element.attribute("IP") || !name) {
                continue;
            }
            Gateway gateway;
            gateway.name = textOf(name);
            // The identifying attribute is the first one, whatever it is called.
            gateway.address = ::inet_addr(element.first_attribute().value());
            gateways.append(gateway);
        }
    }
    return gateways;
}

QString CDestinationList::textOf(const pugi::xml_node& element) {
    // The element's text is all the text inside it, as the DOM's text property gives it.
    std::string text;
    appendText(element, text);
    return QString::fromStdString(text);
}

void CDestinationList::appendText(const pugi::xml_node& node, std::string& text) {
    for (const pugi::xml_node child : node.children()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
            text += child.value();
        } else if (child.type() == pugi::node_element) {
            appendText(child, text);
        }
    }
}

QStringList CDestinationList::sortedNames(const QList<Gateway>& gateways) {
    QStringList names;
    for (const Gateway& gateway : gateways) {
        names.append(gateway.name);
    }
    std::stable_sort(names.begin(), names.end(), [](const QString& left, const QString& right) {
        return left.compare(right, Qt::CaseInsensitive) < 0;
    });
    return names;
}

QString CDestinationList::destinationText(const Gateway& gateway) {
    const unsigned lastOctet = CIpv4Address::toHostOrder(gateway.address) & 0xFFu;
    return QString::asprintf("%s (..%03u)", gateway.name.toUtf8().constData(), lastOctet);
}

QList<CDestinationList::Entry> CDestinationList::build(int mode, quint32 defaultIp,
                                                       const QList<Gateway>& gateways) {
    QList<Entry> entries;
    if (mode == CTransport::kModeUdp) {
        entries.append({QStringLiteral("Broadcast"), CIpv4Address::kBroadcast});
    } else if (mode == CTransport::kModeTcp && defaultIp != 0) {
        entries.append({QString::fromLatin1(CIpv4Address::toDotted(defaultIp)), defaultIp});
    }
    for (const Gateway& gateway : gateways) {
        entries.append({destinationText(gateway), gateway.address});
    }
    return entries;
}

int CDestinationList::selectionFor(const QList<Entry>& entries, const QString& remembered) {
    if (entries.isEmpty()) {
        return -1;
    }
    if (remembered.isEmpty()) {
        return 0;
    }
    const qsizetype count = entries.size();
    for (qsizetype step = 1; step <= count; ++step) {
        const qsizetype index = step % count;
        if (entries.at(index).text.startsWith(remembered, Qt::CaseInsensitive)) {
            return static_cast<int>(index);
        }
    }
    return 0;
}
