#pragma once

#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Finds the plan's gateways and bus devices by their identifying attribute without
// walking the document: every reply names its device, and a site can hold thousands.
// Each key maps to its elements in document order, so the first one is the node that
// "//Device_Configuration/DEVICE[@UID='n']" would select. The index is rebuilt lazily
// after anything restructures the plan behind its back (see invalidate()).
class CPlanIndex {
public:
    using Nodes = std::vector<pugi::xml_node>;

    explicit CPlanIndex(const pugi::xml_document& plan) : m_plan(plan) {}

    void invalidate() { m_valid = false; }

    pugi::xml_node deviceConfiguration();
    // Every "//Device_Configuration" element, in document order.
    const Nodes& deviceConfigurations();
    pugi::xml_node networkConfiguration();

    // Elements of "//Device_Configuration/UBRIX[@IP=ip]" in document order.
    const Nodes& gateways(std::string_view ip);
    // Elements of "//Device_Configuration/DEVICE[@name=value]" for name "UID" or "SN".
    const Nodes& devices(std::string_view name, std::string_view value);
    // Elements of "/Plan/Network_Configuration/UBRIX[@IP=ip]".
    const Nodes& networkGateways(std::string_view ip);

    // The setting element a reply path led to last time: replies repeat the same paths,
    // and the document only ever appends below an existing device, so the answer stays
    // the same until something else restructures the plan.
    pugi::xml_node cachedSetting(std::string_view path);
    void rememberSetting(std::string path, pugi::xml_node node);
    // After setting elements were removed: what was remembered may point at them.
    void forgetSettings() { m_settings.clear(); }

    // Records an element that was just created (for a device, possibly beside elements
    // with the same text).
    void addGateway(std::string_view ip, pugi::xml_node node);
    void addDevice(std::string_view name, std::string_view value, pugi::xml_node node);
    void addNetworkGateway(std::string_view ip, pugi::xml_node node);

private:
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>{}(text);
        }
    };
    using Map = std::unordered_map<std::string, Nodes, Hash, std::equal_to<>>;

    void ensureBuilt();
    void collect(const char* xpath, const char* attribute, Map& into) const;
    const Nodes& find(const Map& map, std::string_view key);
    Map& deviceMap(std::string_view name);

    const pugi::xml_document& m_plan;
    bool m_valid = false;
    pugi::xml_node m_deviceConfiguration;
    Nodes m_deviceConfigurations;
    pugi::xml_node m_networkConfiguration;
    Map m_gateways;
    Map m_devicesByUid;
    Map m_devicesBySn;
    Map m_devicesByOther;  // only ever empty: DEVICE elements are keyed by UID or SN
    Map m_networkGateways;
    std::unordered_map<std::string, pugi::xml_node, Hash, std::equal_to<>> m_settings;
    const Nodes m_none;
};
