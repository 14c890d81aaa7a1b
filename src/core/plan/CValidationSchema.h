#pragma once

#include "core/address/CSettingAddress.h"
#include "core/protocol/CValueType.h"

#include <QByteArray>

#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Look-ups in the validation schema: which settings a device type has and how each one is
// edited. Reads the document it is given (the document keeps owning it) and changes
// nothing, so it is cheap to make one wherever a look-up is needed; one that is kept
// remembers what it found.
//
// Layout read: Validate > DEVICE[@TYPE] > (setting | group > setting); a setting's first
// attribute is its control word, an optional secret marks a credential and reading a live
// reading (after the control word), an optional p binds
// it to one port, and an "EDIT" setting names its value type in t (with min, max, decimals
// and chars as the type needs).
class CValidationSchema {
public:
    enum class Control { ReadOnly, Edit, Combo };

    explicit CValidationSchema(const pugi::xml_document& schema) : m_schema(schema) {}

    // The entry of a device type, found only on exact equality with its TYPE attribute.
    pugi::xml_node device(std::string_view type) const;

    // The entry for one place of a device: key directly under the device when group is
    // empty. With a port, an entry bound to that port wins, and an entry without p (the
    // same on every port) stands in when the key has no entry for that port. Without a
    // port, entries bound to a port do not count.
    pugi::xml_node setting(std::string_view type, std::string_view port, std::string_view group,
                           std::string_view key) const;
    // The same for a setting's address, its port included (the index plays no part).
    pugi::xml_node setting(std::string_view type, const CSettingAddress& address) const;

    // The entry of the address in every device type that has one, in the schema's order:
    // what a setting may be when the device's type is not known.
    std::vector<pugi::xml_node> everyTypesSetting(const CSettingAddress& address) const;

    // The first entry named key in the group, whatever port it is bound to. The uploads and
    // the bus view look settings up this way: their paths carry no port.
    pugi::xml_node firstSetting(std::string_view type, std::string_view group,
                                std::string_view key) const;

    // The value of the setting's first attribute, whatever that attribute is called: the
    // readers never look at its name, which is why c must come first.
    static std::string_view controlWord(const pugi::xml_node& setting);
    static Control control(const pugi::xml_node& setting);

    // The texts of the setting's children in order, whatever they are: an element gives its
    // text, any other node (a comment, say) its value.
    static std::vector<std::string> options(const pugi::xml_node& setting);

    // Index of the last option equal to value (case matters); -1 when none is.
    static int lastOptionIndex(const pugi::xml_node& setting, std::string_view value);

    // The value type of an "EDIT" setting, from its attributes t, min, max, decimals and
    // chars; free text for any other setting or one without t.
    static CValueType valueType(const pugi::xml_node& setting);
    // The same, remembered per entry: a comparison of a whole site checks a million values
    // against a few hundred entries.
    const CValueType& valueTypeOf(const pugi::xml_node& setting) const;

    // The members of a group whose index (A) counts the same things, as the schema's
    // comments name them: "Indexed: ACTION and TARGET with A = key number" gives
    // {ACTION, TARGET}. One list per comment.
    static std::vector<std::vector<QByteArray>> indexedAlike(const pugi::xml_node& group);

    // Whether a user may give the setting this value: any text for EDIT, one of the options
    // for COMBO, nothing for a read-only or missing setting.
    static bool allows(const pugi::xml_node& setting, std::string_view value);

    // Whether the entry holds a credential (secret="YES", after its control word).
    static bool isSecret(const pugi::xml_node& setting);
    // Whether the entry is a live reading (reading="YES", after its control word).
    static bool isReading(const pugi::xml_node& setting);
    // Whether the setting at address holds a credential: some device type's entry of that
    // group and key is secret. Letters count in any case and the device's type plays no
    // part, so a type whose own entry lacks the setting, a type nobody knows and an
    // address typed in lower case all keep the value out. The rule CSecretRule shows
    // values by.
    bool holdsSecret(const CSettingAddress& address) const;
    // Whether the setting at address is a live reading (a level, a supply voltage, a
    // signal strength), found the same way: it differs at every visit to a live site, so
    // two snapshots are compared without it.
    bool holdsReading(const CSettingAddress& address) const;

private:
    // The device itself for an empty group, else its groups of that name.
    std::vector<pugi::xml_node> containers(std::string_view type, std::string_view group) const;
    pugi::xml_node lookUp(std::string_view type, std::string_view port, std::string_view group,
                          std::string_view key) const;
    // The group and key of every entry marked by the attribute (secret, reading), upper
    // case, each once; gathered at the first question.
    using Places = std::vector<std::pair<QByteArray, QByteArray>>;
    const Places& marked(const char* attribute, std::optional<Places>& places) const;
    static bool isAmong(const Places& places, const CSettingAddress& address);

    const pugi::xml_document& m_schema;
    // What this look-up has found so far: a comparison of a whole site asks the same few
    // hundred places a million times.
    mutable std::string m_lastType;
    mutable pugi::xml_node m_lastDevice;
    mutable std::unordered_map<std::string, pugi::xml_node> m_settings;
    mutable std::string m_place;  // room for the key of a look-up
    mutable std::unordered_map<const void*, CValueType> m_valueTypes;  // by entry
    mutable std::optional<Places> m_secretPlaces;
    mutable std::optional<Places> m_readingPlaces;
};
