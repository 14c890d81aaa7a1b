#include "CGatewayOutline.h"

#include "CPropertyLabel.h"
#include "CPropertyRows.h"
#include "common/CXPathQuery.h"
#include "transport/CIpv4Address.h"
#include "tree/CNodeKind.h"

namespace {

QString labelOf(const pugi::xml_node& element) {
    const pugi::xml_attribute attribute = element.first_attribute();
    return CPropertyLabel::make(element.name(), attribute.value(), !attribute.empty());
}

CGatewayOutline::Section sectionOf(const pugi::xml_node& element) {
    CGatewayOutline::Section section;
    section.label = labelOf(element);
    section.kind = CNodeKind::of(section.label.toStdString(), CNodeKind::Tree::Gateways);
    for (const pugi::xml_node& child : element.children()) {
        if (CPropertyRows::isSection(child)) {
            const QString label = QString::fromUtf8(child.name());
            section.subsections.push_back(
                {label, CNodeKind::of(label.toStdString(), CNodeKind::Tree::Gateways)});
        }
    }
    return section;
}

}  // namespace

std::vector<CGatewayOutline::Gateway> CGatewayOutline::read(const pugi::xml_document& plan) {
    std::vector<Gateway> gateways;
    for (const pugi::xpath_node& hit :
         CXPathQuery::selectFixed(plan, "//Device_Configuration/UBRIX[@IP]")) {
        const pugi::xml_node element = hit.node();
        const char* ip = element.attribute("IP").value();
        bool valid = false;
        Gateway gateway;
        gateway.address = CIpv4Address::fromDotted(ip, &valid);
        if (!valid) {
            continue;
        }
        gateway.label = QString::fromLatin1(kAddressLabel).arg(QString::fromUtf8(ip));
        for (const pugi::xml_node& child : element.children()) {
            if (child.type() != pugi::node_element) {
                continue;
            }
            if (labelOf(child) == QLatin1String("NAME") && *child.text().get() != '\0') {
                gateway.label = QString::fromUtf8(child.text().get());
            }
            if (CPropertyRows::isSection(child)) {
                gateway.sections.push_back(sectionOf(child));
            }
        }
        gateways.push_back(std::move(gateway));
    }
    return gateways;
}
