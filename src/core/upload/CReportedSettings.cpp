#include "CReportedSettings.h"

#include "common/CXmlText.h"
#include "plan/CEnteredSetting.h"

namespace {

QByteArray inXmlText(const QByteArray& wire) {
    return CXmlText::toBytes(CXmlText::fromWire(wire));
}

bool hasElementChild(const pugi::xml_node& node) {
    for (const pugi::xml_node& child : node.children()) {
        if (child.type() == pugi::node_element) {
            return true;
        }
    }
    return false;
}

void enterLeaf(CReportedSettings& reported, const pugi::xml_node& leaf, const QByteArray& port,
               const QByteArray& group) {
    reported.enter({port, group, leaf.name(), leaf.attribute("A").value()}, leaf.text().get());
}

// The leaves of a device or port element, and of its groups.
void enterBelow(CReportedSettings& reported, const pugi::xml_node& parent, const QByteArray& port) {
    for (const pugi::xml_node& child : parent.children()) {
        if (child.type() != pugi::node_element) {
            continue;
        }
        if (!hasElementChild(child)) {
            enterLeaf(reported, child, port, {});
        } else if (port.isEmpty() && std::string_view(child.name()) == "PORT" &&
                   child.attribute("P")) {
            enterBelow(reported, child, child.attribute("P").value());
        } else {
            for (const pugi::xml_node& leaf : child.children()) {
                if (leaf.type() == pugi::node_element && !hasElementChild(leaf)) {
                    enterLeaf(reported, leaf, port, child.name());
                }
            }
        }
    }
}

}  // namespace

void CReportedSettings::enter(const CSettingAddress& address, std::string value) {
    m_values[address] = std::move(value);
}

const std::string* CReportedSettings::find(const CSettingAddress& address) const {
    const auto found = m_values.find(address);
    return found == m_values.end() ? nullptr : &found->second;
}

std::optional<std::string> CReportedSettings::type() const {
    const std::string* type = find({{}, {}, "TYPE", {}});
    return type != nullptr ? std::optional<std::string>(*type) : std::nullopt;
}

void CReportedSettings::enterReply(const CEnteredSetting& setting) {
    const CSettingAddress& wire = setting.address;
    enter({inXmlText(wire.port), inXmlText(wire.group), inXmlText(wire.key), inXmlText(wire.index)},
          CXmlText::fromWire(setting.value));
}

std::set<CSettingAddress> CReportedSettings::addresses() const {
    std::set<CSettingAddress> addresses;
    for (const auto& [address, value] : m_values) {
        addresses.insert(addresses.end(), address);
    }
    return addresses;
}

CReportedSettings CReportedSettings::fromPlanElement(const pugi::xml_node& device) {
    CReportedSettings reported;
    enterBelow(reported, device, {});
    return reported;
}
