#include "core/upload/CDeviceAnswers.h"

#include "core/common/CXmlText.h"
#include "core/plan/CEnteredSetting.h"

#include <algorithm>

namespace {

// Between the parts of an address in the key of an entry: no name or index holds it.
constexpr char kSeparator = '\x1F';

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

const char* kNoIndex = "";

// The leaves of a device or port element, and of its groups: enterLeaf(port, group, leaf).
template <typename EnterLeaf>
void enterBelow(const pugi::xml_node& parent, std::string_view port, const EnterLeaf& enterLeaf) {
    for (const pugi::xml_node& child : parent.children()) {
        if (child.type() != pugi::node_element) {
            continue;
        }
        if (!hasElementChild(child)) {
            enterLeaf(port, {}, child);
        } else if (port.empty() && std::string_view(child.name()) == "PORT" &&
                   child.attribute("P")) {
            enterBelow(child, child.attribute("P").value(), enterLeaf);
        } else {
            for (const pugi::xml_node& leaf : child.children()) {
                if (leaf.type() == pugi::node_element && !hasElementChild(leaf)) {
                    enterLeaf(port, child.name(), leaf);
                }
            }
        }
    }
}

std::string_view view(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<size_t>(bytes.size())};
}

QByteArray bytes(std::string_view text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void CDeviceAnswers::enter(const CSettingAddress& address, std::string_view value) {
    enterParts(view(address.port), view(address.group), view(address.key), view(address.index),
               value);
}

void CDeviceAnswers::enterReply(const CEnteredSetting& setting) {
    const CSettingAddress& wire = setting.address;
    enter({inXmlText(wire.port), inXmlText(wire.group), inXmlText(wire.key), inXmlText(wire.index)},
          CXmlText::fromWire(setting.value));
}

const std::string& CDeviceAnswers::keyOf(std::string_view port, std::string_view group,
                                         std::string_view key, std::string_view index) const {
    m_key.clear();
    for (const std::string_view part : {port, group, key, index}) {
        m_key += part;
        m_key += kSeparator;
    }
    return m_key;
}

std::string_view CDeviceAnswers::keyAt(const Entry& entry) const {
    return std::string_view(m_text).substr(entry.keyAt, entry.keyLength);
}

std::vector<CDeviceAnswers::Entry>::const_iterator CDeviceAnswers::lowerBound(
    std::string_view key) const {
    return std::lower_bound(
        m_entries.begin(), m_entries.end(), key,
        [this](const Entry& entry, std::string_view wanted) { return keyAt(entry) < wanted; });
}

void CDeviceAnswers::enterParts(std::string_view port, std::string_view group, std::string_view key,
                                std::string_view index, std::string_view value) {
    const std::string& wanted = keyOf(port, group, key, index);
    const auto at = lowerBound(wanted);
    const auto valueAt = static_cast<std::uint32_t>(m_text.size());
    const auto valueLength = static_cast<std::uint32_t>(value.size());
    if (at != m_entries.end() && keyAt(*at) == wanted) {
        Entry& known = m_entries[static_cast<size_t>(at - m_entries.begin())];
        m_text += value;
        known.valueAt = valueAt;
        known.valueLength = valueLength;
        return;
    }
    const auto position = at - m_entries.begin();
    m_text += value;
    const auto keyAtText = static_cast<std::uint32_t>(m_text.size());
    m_text += wanted;
    m_entries.insert(m_entries.begin() + position,
                     {keyAtText, static_cast<std::uint32_t>(wanted.size()), valueAt, valueLength});
}

void CDeviceAnswers::appendParts(std::string_view port, std::string_view group,
                                 std::string_view key, std::string_view index,
                                 std::string_view value) {
    const std::string& added = keyOf(port, group, key, index);
    const auto valueAt = static_cast<std::uint32_t>(m_text.size());
    m_text += value;
    const auto keyAtText = static_cast<std::uint32_t>(m_text.size());
    m_text += added;
    m_entries.push_back({keyAtText, static_cast<std::uint32_t>(added.size()), valueAt,
                         static_cast<std::uint32_t>(value.size())});
}

void CDeviceAnswers::sortAppended() {
    std::stable_sort(m_entries.begin(), m_entries.end(),
                     [this](const Entry& a, const Entry& b) { return keyAt(a) < keyAt(b); });
    // Of entries with one key, the last one appended is the report that stands.
    std::vector<Entry> kept;
    kept.reserve(m_entries.size());
    for (const Entry& entry : m_entries) {
        if (!kept.empty() && keyAt(kept.back()) == keyAt(entry)) {
            kept.back() = entry;
        } else {
            kept.push_back(entry);
        }
    }
    m_entries = std::move(kept);
}

std::optional<std::string_view> CDeviceAnswers::find(const CSettingAddress& address) const {
    const std::string& wanted =
        keyOf(view(address.port), view(address.group), view(address.key), view(address.index));
    const auto at = lowerBound(wanted);
    if (at == m_entries.end() || keyAt(*at) != wanted) {
        return std::nullopt;
    }
    return std::string_view(m_text).substr(at->valueAt, at->valueLength);
}

std::optional<std::string> CDeviceAnswers::type() const {
    const std::optional<std::string_view> type = find({{}, {}, "TYPE", {}});
    return type ? std::optional<std::string>(*type) : std::nullopt;
}

std::set<CSettingAddress> CDeviceAnswers::addresses() const {
    std::set<CSettingAddress> addresses;
    for (const Entry& entry : m_entries) {
        std::string_view key = keyAt(entry);
        QByteArray parts[4];
        for (QByteArray& part : parts) {
            const size_t end = key.find(kSeparator);
            part = bytes(key.substr(0, end));
            key.remove_prefix(end + 1);
        }
        addresses.insert(addresses.end(), {parts[0], parts[1], parts[2], parts[3]});
    }
    return addresses;
}

void CDeviceAnswers::clear() {
    m_text.clear();
    m_entries.clear();
}

void CDeviceAnswers::compact() {
    std::string text;
    text.reserve(m_text.size());
    for (Entry& entry : m_entries) {
        const std::string_view key = keyAt(entry);
        const std::string_view value =
            std::string_view(m_text).substr(entry.valueAt, entry.valueLength);
        entry.valueAt = static_cast<std::uint32_t>(text.size());
        text += value;
        entry.keyAt = static_cast<std::uint32_t>(text.size());
        text += key;
    }
    m_text = std::move(text);
    m_text.shrink_to_fit();
    m_entries.shrink_to_fit();
}

CDeviceAnswers CDeviceAnswers::fromPlanElement(const pugi::xml_node& device) {
    CDeviceAnswers reported;
    enterBelow(
        device, {},
        [&reported](std::string_view port, std::string_view group, const pugi::xml_node& leaf) {
            const pugi::xml_attribute index = leaf.attribute("A");
            reported.appendParts(port, group, leaf.name(), index ? index.value() : kNoIndex,
                                 leaf.text().get());
        });
    reported.sortAppended();
    reported.compact();
    return reported;
}
