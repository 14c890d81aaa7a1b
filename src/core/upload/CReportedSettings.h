#pragma once

#include "address/CSettingAddress.h"

#include <map>
#include <optional>
#include <pugixml.hpp>
#include <set>
#include <string>

// What one device reported, setting by setting, as the plan would hold it (UTF-8 text).
// The uploads fill one with the replies that came after their own query, so a device that
// an earlier refresh or a loaded map file left in the plan does not count as answering;
// the offline comparison reads one from a plan element.
struct CEnteredSetting;

class CReportedSettings {
public:
    // A later report of the same place replaces the earlier one.
    void enter(const CSettingAddress& address, std::string value);
    // A reply as it was entered into the plan: its address and value as the plan spells
    // them.
    void enterReply(const CEnteredSetting& setting);
    const std::string* find(const CSettingAddress& address) const;
    // The TYPE the device reported, if it did.
    std::optional<std::string> type() const;
    bool isEmpty() const { return m_values.empty(); }
    size_t size() const { return m_values.size(); }
    // Where the device reported a setting, without the values.
    std::set<CSettingAddress> addresses() const;
    void clear() { m_values.clear(); }

    // The settings below a UBRIX or DEVICE element of a plan: leaves directly under it, in
    // its groups, and in its PORT elements (by their P) and their groups, each leaf's A as
    // its index.
    static CReportedSettings fromPlanElement(const pugi::xml_node& device);

private:
    std::map<CSettingAddress, std::string> m_values;
};
