#pragma once

#include "core/address/CSettingAddress.h"

#include <cstdint>
#include <optional>
#include <pugixml.hpp>
#include <set>
#include <string>
#include <string_view>
#include <vector>

struct CEnteredSetting;

// What one device reported, setting by setting, as the plan would hold it (UTF-8 text).
// The uploads fill one with the replies that came after their own query, so a device that
// an earlier refresh or a loaded map file left in the plan does not count as answering;
// the offline comparison reads one from a plan element, for every device of a map.
//
// A map of a large site holds a million settings, so the settings of a device are kept as
// one text and a sorted list of where each one is in it, not as a tree of small strings.
class CDeviceAnswers {
public:
    // A later report of the same place replaces the earlier one.
    void enter(const CSettingAddress& address, std::string_view value);
    // A reply as it was entered into the plan: its address and value as the plan spells
    // them.
    void enterReply(const CEnteredSetting& setting);
    // The value reported at the address; nothing when it was not. The view lasts until the
    // next change.
    std::optional<std::string_view> find(const CSettingAddress& address) const;
    // The TYPE the device reported, if it did.
    std::optional<std::string> type() const;
    bool isEmpty() const { return m_entries.empty(); }
    size_t size() const { return m_entries.size(); }
    // Where the device reported a setting, without the values.
    std::set<CSettingAddress> addresses() const;
    void clear();
    // Lets go of the room that replaced values took.
    void compact();

    // The settings below a UBRIX or DEVICE element of a plan: leaves directly under it, in
    // its groups, and in its PORT elements (by their P) and their groups, each leaf's A as
    // its index.
    static CDeviceAnswers fromPlanElement(const pugi::xml_node& device);

private:
    struct Entry {
        std::uint32_t keyAt;
        std::uint32_t keyLength;
        std::uint32_t valueAt;
        std::uint32_t valueLength;
    };

    void enterParts(std::string_view port, std::string_view group, std::string_view key,
                    std::string_view index, std::string_view value);
    // Many settings at once: appended as they come, then sorted once.
    void appendParts(std::string_view port, std::string_view group, std::string_view key,
                     std::string_view index, std::string_view value);
    void sortAppended();
    // Port, group, key and index, each ended by a separator no name holds; in m_key.
    const std::string& keyOf(std::string_view port, std::string_view group, std::string_view key,
                             std::string_view index) const;
    std::string_view keyAt(const Entry& entry) const;
    // The first entry whose key is not less than key.
    std::vector<Entry>::const_iterator lowerBound(std::string_view key) const;

    std::string m_text;
    std::vector<Entry> m_entries;  // sorted by key
    mutable std::string m_key;     // room for the key being looked for
};
