#include "core/plan/CValidationSchema.h"

#include <QList>
#include <algorithm>

namespace {

bool isNamed(const pugi::xml_node& node, std::string_view name) {
    return node.type() == pugi::node_element && name == node.name();
}

// A group holds settings and has no attributes; everything else named like the key is a
// setting, even a bare one (which the readers then take as read-only).
bool isGroup(const pugi::xml_node& node) {
    if (node.first_attribute()) {
        return false;
    }
    for (const pugi::xml_node& child : node.children()) {
        if (child.type() == pugi::node_element) {
            return true;
        }
    }
    return false;
}

bool isSettingNamed(const pugi::xml_node& node, std::string_view key) {
    return isNamed(node, key) && !isGroup(node);
}

pugi::xml_attribute portAttribute(const pugi::xml_node& setting) {
    return setting.attribute("p");
}

}  // namespace

pugi::xml_node CValidationSchema::device(std::string_view type) const {
    if (m_lastDevice && type == m_lastType) {
        return m_lastDevice;
    }
    for (const pugi::xml_node& entry : m_schema.document_element().children("DEVICE")) {
        const pugi::xml_attribute attribute = entry.attribute("TYPE");
        if (attribute && type == attribute.value()) {
            m_lastType = type;
            m_lastDevice = entry;
            return entry;
        }
    }
    return {};
}

std::vector<pugi::xml_node> CValidationSchema::containers(std::string_view type,
                                                          std::string_view group) const {
    const pugi::xml_node entry = device(type);
    if (!entry) {
        return {};
    }
    if (group.empty()) {
        return {entry};
    }
    std::vector<pugi::xml_node> groups;
    for (const pugi::xml_node& child : entry.children()) {
        if (isNamed(child, group)) {
            groups.push_back(child);
        }
    }
    return groups;
}

pugi::xml_node CValidationSchema::setting(std::string_view type, std::string_view port,
                                          std::string_view group, std::string_view key) const {
    m_place.clear();
    for (const std::string_view part : {type, port, group}) {
        m_place.append(part).push_back('\x1F');
    }
    m_place.append(key);
    const auto known = m_settings.find(m_place);
    if (known != m_settings.end()) {
        return known->second;
    }
    const pugi::xml_node found = lookUp(type, port, group, key);
    m_settings.emplace(m_place, found);
    return found;
}

pugi::xml_node CValidationSchema::lookUp(std::string_view type, std::string_view port,
                                         std::string_view group, std::string_view key) const {
    pugi::xml_node portFree;
    for (const pugi::xml_node& container : containers(type, group)) {
        for (const pugi::xml_node& child : container.children()) {
            if (!isSettingNamed(child, key)) {
                continue;
            }
            const pugi::xml_attribute bound = portAttribute(child);
            if (!bound) {
                if (!portFree) {
                    portFree = child;
                }
            } else if (!port.empty() && port == bound.value()) {
                return child;
            }
        }
    }
    return portFree;
}

pugi::xml_node CValidationSchema::setting(std::string_view type,
                                          const CSettingAddress& address) const {
    const auto view = [](const QByteArray& part) {
        return std::string_view(part.constData(), static_cast<size_t>(part.size()));
    };
    return setting(type, view(address.port), view(address.group), view(address.key));
}

std::vector<pugi::xml_node> CValidationSchema::everyTypesSetting(
    const CSettingAddress& address) const {
    std::vector<pugi::xml_node> entries;
    for (const pugi::xml_node& entry : m_schema.document_element().children("DEVICE")) {
        if (const pugi::xml_node found = setting(entry.attribute("TYPE").value(), address)) {
            entries.push_back(found);
        }
    }
    return entries;
}

pugi::xml_node CValidationSchema::firstSetting(std::string_view type, std::string_view group,
                                               std::string_view key) const {
    for (const pugi::xml_node& container : containers(type, group)) {
        for (const pugi::xml_node& child : container.children()) {
            if (isSettingNamed(child, key)) {
                return child;
            }
        }
    }
    return {};
}

std::string_view CValidationSchema::controlWord(const pugi::xml_node& setting) {
    return setting.first_attribute().value();
}

CValidationSchema::Control CValidationSchema::control(const pugi::xml_node& setting) {
    const std::string_view word = controlWord(setting);
    if (word == "EDIT") {
        return Control::Edit;
    }
    if (word == "COMBO") {
        return Control::Combo;
    }
    return Control::ReadOnly;
}

std::vector<std::string> CValidationSchema::options(const pugi::xml_node& setting) {
    std::vector<std::string> texts;
    for (const pugi::xml_node& child : setting.children()) {
        texts.emplace_back(child.type() == pugi::node_element ? child.text().get() : child.value());
    }
    return texts;
}

int CValidationSchema::lastOptionIndex(const pugi::xml_node& setting, std::string_view value) {
    int last = -1;
    int index = 0;
    for (const pugi::xml_node& child : setting.children()) {
        const char* text = child.type() == pugi::node_element ? child.text().get() : child.value();
        if (value == text) {
            last = index;
        }
        ++index;
    }
    return last;
}

std::vector<std::vector<QByteArray>> CValidationSchema::indexedAlike(const pugi::xml_node& group) {
    std::vector<std::vector<QByteArray>> alike;
    for (const pugi::xml_node& note : group.children()) {
        const QByteArray text = QByteArray(note.value()).trimmed();
        if (note.type() != pugi::node_comment || !text.startsWith("Indexed:")) {
            continue;
        }
        std::vector<QByteArray> keys;
        for (const QByteArray& word : text.mid(8).simplified().split(' ')) {
            if (word == "with") {
                break;
            }
            if (CSettingAddress::isName(word)) {
                keys.push_back(word);
            }
        }
        alike.push_back(std::move(keys));
    }
    return alike;
}

CValueType CValidationSchema::valueType(const pugi::xml_node& setting) {
    if (control(setting) != Control::Edit) {
        return {};
    }
    const auto word = [&setting](const char* name) {
        return std::string_view(setting.attribute(name).value());
    };
    return CValueType::fromWords(
        {word("t"), word("min"), word("max"), word("decimals"), word("chars")});
}

const CValueType& CValidationSchema::valueTypeOf(const pugi::xml_node& setting) const {
    const auto [found, added] = m_valueTypes.try_emplace(setting.internal_object());
    if (added) {
        found->second = valueType(setting);
    }
    return found->second;
}

bool CValidationSchema::allows(const pugi::xml_node& setting, std::string_view value) {
    if (!setting) {
        return false;
    }
    switch (control(setting)) {
        case Control::Edit:
            return true;
        case Control::Combo:
            return lastOptionIndex(setting, value) >= 0;
        case Control::ReadOnly:
            return false;
    }
    return false;
}

bool CValidationSchema::isSecret(const pugi::xml_node& setting) {
    return std::string_view(setting.attribute("secret").value()) == "YES";
}

bool CValidationSchema::isReading(const pugi::xml_node& setting) {
    return std::string_view(setting.attribute("reading").value()) == "YES";
}

bool CValidationSchema::holdsSecret(const CSettingAddress& address) const {
    return isAmong(marked("secret", m_secretPlaces), address);
}

bool CValidationSchema::holdsReading(const CSettingAddress& address) const {
    return isAmong(marked("reading", m_readingPlaces), address);
}

const CValidationSchema::Places& CValidationSchema::marked(const char* attribute,
                                                           std::optional<Places>& places) const {
    if (places) {
        return *places;
    }
    places.emplace();
    const auto note = [&](const pugi::xml_node& setting, const char* group) {
        if (std::string_view(setting.attribute(attribute).value()) != "YES") {
            return;
        }
        const std::pair<QByteArray, QByteArray> place{QByteArray(group).toUpper(),
                                                      QByteArray(setting.name()).toUpper()};
        if (std::find(places->begin(), places->end(), place) == places->end()) {
            places->push_back(place);
        }
    };
    for (const pugi::xml_node& entry : m_schema.document_element().children("DEVICE")) {
        for (const pugi::xml_node& child : entry.children()) {
            if (child.type() != pugi::node_element) {
                continue;
            }
            if (!isGroup(child)) {
                note(child, "");
                continue;
            }
            for (const pugi::xml_node& setting : child.children()) {
                if (setting.type() == pugi::node_element) {
                    note(setting, child.name());
                }
            }
        }
    }
    return *places;
}

bool CValidationSchema::isAmong(const Places& places, const CSettingAddress& address) {
    for (const auto& [group, key] : places) {
        if (key.compare(address.key, Qt::CaseInsensitive) == 0 &&
            group.compare(address.group, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}
