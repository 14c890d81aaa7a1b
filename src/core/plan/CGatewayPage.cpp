#include "core/plan/CGatewayPage.h"

#include "core/common/CXPathQuery.h"
#include "core/plan/CPropertyLabel.h"
#include "core/plan/CPropertyRows.h"
#include "core/plan/CSchemaPlace.h"
#include "core/protocol/CCommands.h"
#include "core/protocol/CValueValidator.h"
#include "core/transport/CIpv4Address.h"
#include "core/tree/CNodeKind.h"

namespace {

using Nodes = std::vector<pugi::xml_node>;

Nodes gatewayChildren(const pugi::xml_document& plan, quint32 address) {
    CXPathQuery query("//Device_Configuration/UBRIX[@IP = $ip]/*", {"ip"});
    query.set("ip", CIpv4Address::toDotted(address).toStdString());
    Nodes children;
    for (const pugi::xpath_node& hit : query.select(plan)) {
        children.push_back(hit.node());
    }
    return children;
}

std::string typeOf(const Nodes& children) {
    for (const pugi::xml_node& child : children) {
        if (std::string_view(child.name()) == "TYPE") {
            return child.text().get();
        }
    }
    return {};
}

// The first of nodes named name (and, when attribute is given, whose first attribute
// holds it).
pugi::xml_node firstNamed(const Nodes& nodes, const QString& name,
                          const QString* attribute = nullptr) {
    const QByteArray wanted = name.toUtf8();
    for (const pugi::xml_node& node : nodes) {
        if (wanted != node.name()) {
            continue;
        }
        if (attribute == nullptr || attribute->toUtf8() == node.first_attribute().value()) {
            return node;
        }
    }
    return {};
}

Nodes childrenOf(const pugi::xml_node& element) {
    const auto children = element.children();
    return Nodes(children.begin(), children.end());
}

// Kinds whose page lists a section's settings (SERIAL lists one under a port).
bool isSectionPage(int kind) {
    switch (kind) {
        case CNodeKind::kNetwork:
        case CNodeKind::kUdp:
        case CNodeKind::kDaytime:
        case CNodeKind::kTelnet:
        case CNodeKind::kLutron:
        case CNodeKind::kWifi:
        case CNodeKind::kSerial:
            return true;
        default:
            return false;
    }
}

}  // namespace

CGatewayPage CGatewayPage::list(const pugi::xml_document& plan, const CValidationSchema& schema,
                                const Item& item) {
    CGatewayPage page;
    page.m_address = item.address;
    page.m_restartNote = restartNote(item.kind);
    page.m_header =
        QString::fromLatin1(kHeader).arg(QString::fromLatin1(CIpv4Address::toDotted(item.address)));
    const Nodes children = gatewayChildren(plan, item.address);
    const std::string type = typeOf(children);
    if (item.kind == CNodeKind::kGateway) {
        page.m_listed = true;
        page.m_rows = CPropertyRows::list(children, schema, {type, "", ""}, {});
    } else if (item.kind == CNodeKind::kSerial) {
        page.listPortSection(children, schema, type, item);
    } else if (isSectionPage(item.kind)) {
        page.listSection(children, schema, type, item.label);
    }
    return page;
}

QString CGatewayPage::restartNote(int kind) {
    switch (kind) {
        case CNodeKind::kNetwork:
        case CNodeKind::kUdp:
        case CNodeKind::kTelnet:
        case CNodeKind::kSerial:
            return QString::fromLatin1(kRestartNeeded);
        case CNodeKind::kLutron:
            return QString::fromLatin1(kConnectionRestartNeeded);
        default:
            return QString();
    }
}

void CGatewayPage::listSection(const Nodes& children, const CValidationSchema& schema,
                               const std::string& type, const QString& label) {
    const pugi::xml_node section = firstNamed(children, label);
    if (!section) {
        return;
    }
    m_listed = true;
    m_section.group = label.toUtf8();
    m_rows = CPropertyRows::list(
        childrenOf(section), schema,
        {type, m_section.port.toStdString(), m_section.group.toStdString()}, {});
}

void CGatewayPage::listPortSection(const Nodes& children, const CValidationSchema& schema,
                                   const std::string& type, const Item& item) {
    // The parent is a port item, "PORT (A)": a port is named by one letter.
    const CPropertyLabel::Parts parent = CPropertyLabel::split(item.parentLabel);
    if (!parent.hasIndex || parent.index.size() != 1) {
        return;
    }
    const pugi::xml_node port = firstNamed(children, parent.key, &parent.index);
    if (!port) {
        return;
    }
    m_section.port = parent.index.toUtf8();
    listSection(childrenOf(port), schema, type, item.label);
    if (!m_listed) {
        m_section.port.clear();
    }
}

QByteArray CGatewayPage::command(const QString& rowLabel, const QString& value,
                                 QString& refusal) const {
    if (!m_listed) {
        return {};
    }
    const CPropertyLabel::Parts parts = CPropertyLabel::split(rowLabel);
    QList<QByteArray> wire;
    for (const QString& text : {QString::fromUtf8(m_section.port),
                                QString::fromUtf8(m_section.group), parts.key, parts.index}) {
        CValueValidator::Result checked = CValueValidator::check(text);
        if (!checked.accepted()) {
            refusal = checked.refusal;
            return {};
        }
        wire.append(std::move(checked.wire));
    }
    const CSettingAddress address{wire[0], wire[1], wire[2], wire[3]};
    const CValueValidator::Result checked = CValueValidator::check(
        value, CPropertyRows::typeOf(m_rows, rowLabel), QString::fromLatin1(address.text()));
    if (!checked.accepted()) {
        refusal = checked.refusal;
        return {};
    }
    return CCommands::gatewaySetting(address, checked.wire, ";");
}
