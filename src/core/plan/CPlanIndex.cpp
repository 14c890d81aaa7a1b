#include "core/plan/CPlanIndex.h"

namespace {

// The reply paths remembered at most. Replies repeat the paths of the last few reports (a
// report asked again, the echoes of an upload), so remembering more helps no one: a
// million remembered paths took a hundred megabytes of a large site's memory, and letting
// go of 65,536 at once held the event loop for 60 ms.
constexpr size_t kMostSettingsRemembered = size_t{1} << 13;

}  // namespace

void CPlanIndex::ensureBuilt() {
    if (m_valid) {
        return;
    }
    m_deviceConfiguration = m_plan.select_node("//Device_Configuration").node();
    // The network list is the Plan's own child: a reply can make an element of that name
    // deeper down, inside a device's settings, and that is no list of gateways.
    m_networkConfiguration = m_plan.document_element().child("Network_Configuration");
    m_deviceConfigurations.clear();
    for (const pugi::xpath_node& hit : m_plan.select_nodes("//Device_Configuration")) {
        m_deviceConfigurations.push_back(hit.node());
    }
    m_gateways.clear();
    m_devicesByUid.clear();
    m_devicesBySn.clear();
    m_networkGateways.clear();
    m_settings.clear();
    collect("//Device_Configuration/UBRIX[@IP]", "IP", m_gateways);
    collect("//Device_Configuration/DEVICE[@UID]", "UID", m_devicesByUid);
    collect("//Device_Configuration/DEVICE[@SN]", "SN", m_devicesBySn);
    collect("/*/Network_Configuration/UBRIX[@IP]", "IP", m_networkGateways);
    m_valid = true;
}

void CPlanIndex::collect(const char* xpath, const char* attribute, Map& into) const {
    for (const pugi::xpath_node& hit : m_plan.select_nodes(xpath)) {
        const pugi::xml_node node = hit.node();
        into[node.attribute(attribute).value()].push_back(node);
    }
}

const CPlanIndex::Nodes& CPlanIndex::find(const Map& map, std::string_view key) {
    const auto found = map.find(key);
    return found == map.end() ? m_none : found->second;
}

CPlanIndex::Map& CPlanIndex::deviceMap(std::string_view name) {
    if (name == "UID") {
        return m_devicesByUid;
    }
    if (name == "SN") {
        return m_devicesBySn;
    }
    return m_devicesByOther;
}

pugi::xml_node CPlanIndex::deviceConfiguration() {
    ensureBuilt();
    return m_deviceConfiguration;
}

pugi::xml_node CPlanIndex::networkConfiguration() {
    ensureBuilt();
    return m_networkConfiguration;
}

const CPlanIndex::Nodes& CPlanIndex::deviceConfigurations() {
    ensureBuilt();
    return m_deviceConfigurations;
}

const CPlanIndex::Nodes& CPlanIndex::gateways(std::string_view ip) {
    ensureBuilt();
    return find(m_gateways, ip);
}

const CPlanIndex::Nodes& CPlanIndex::devices(std::string_view name, std::string_view value) {
    ensureBuilt();
    return find(deviceMap(name), value);
}

const CPlanIndex::Nodes& CPlanIndex::networkGateways(std::string_view ip) {
    ensureBuilt();
    return find(m_networkGateways, ip);
}

void CPlanIndex::addGateway(std::string_view ip, pugi::xml_node node) {
    if (m_valid) {
        m_gateways[std::string(ip)].push_back(node);
    }
}

void CPlanIndex::addDevice(std::string_view name, std::string_view value, pugi::xml_node node) {
    if (!m_valid || (name != "UID" && name != "SN")) {
        return;
    }
    Nodes& nodes = deviceMap(name)[std::string(value)];
    if (!nodes.empty()) {
        // Another text of the same number ("07" beside "7") was inserted in number order,
        // which need not be after the elements with this text: only a rebuild knows
        // where it stands among them.
        invalidate();
        return;
    }
    nodes.push_back(node);
}

void CPlanIndex::addNetworkGateway(std::string_view ip, pugi::xml_node node) {
    if (m_valid) {
        m_networkGateways[std::string(ip)].push_back(node);
    }
}

pugi::xml_node CPlanIndex::cachedSetting(std::string_view path) {
    ensureBuilt();
    const auto found = m_settings.find(path);
    return found == m_settings.end() ? pugi::xml_node() : found->second;
}

void CPlanIndex::rememberSetting(std::string path, pugi::xml_node node) {
    if (!m_valid) {
        return;
    }
    // Starting afresh costs a millisecond; growing the table without end cost memory, and
    // rehashing a million entries at once held the event loop for a tenth of a second.
    if (m_settings.size() >= kMostSettingsRemembered) {
        m_settings.clear();
    }
    m_settings.emplace(std::move(path), node);
}
