#include "core/bus/CAnswerCheck.h"

#include "core/plan/CValidationSchema.h"

#include <algorithm>

namespace {

using Addresses = CAnswerCheck::Addresses;

// Indices past this are not counted up to: a device's numbers stay small.
constexpr int kHighestIndex = 256;

bool isSettingEntry(const pugi::xml_node& node) {
    return node.type() == pugi::node_element && !node.first_attribute().empty();
}

bool isGroupEntry(const pugi::xml_node& node) {
    return node.type() == pugi::node_element && node.first_attribute().empty();
}

// Whether the report holds the key at that port and group, whatever its index.
bool holdsKey(const Addresses& received, const CSettingAddress& wanted) {
    const auto found = received.lower_bound({wanted.port, wanted.group, wanted.key, {}});
    return found != received.end() && found->sameKey(wanted);
}

bool showsPort(const Addresses& addresses, const QByteArray& port) {
    return std::any_of(addresses.begin(), addresses.end(),
                       [&port](const CSettingAddress& address) { return address.port == port; });
}

class Expectation {
public:
    Expectation(const Addresses& received, const Addresses& earlier)
        : m_received(received), m_earlier(earlier) {}

    // sharing: the keys whose index counts the same things as this one's (itself too).
    void entry(const pugi::xml_node& setting, const QByteArray& group,
               const std::vector<QByteArray>& sharing) {
        const QByteArray key(setting.name());
        std::set<QByteArray> homes;
        if (const pugi::xml_attribute bound = setting.attribute("p")) {
            if (reportsPort(QByteArray(bound.value()))) {
                homes.insert(QByteArray(bound.value()));
            }
        } else {
            homes = homesOf(group);
        }
        // An indexed key has every index from 1 to the highest one seen on any of its homes,
        // for it or for any key that shares its index.
        int highest = 0;
        for (const QByteArray& indexedLikeIt : sharing) {
            highest = std::max(highest, highestIndex(homes, group, indexedLikeIt));
        }
        for (const QByteArray& port : homes) {
            if (highest == 0) {
                want({port, group, key, {}});
            }
            for (int index = 1; index <= highest; ++index) {
                want({port, group, key, QByteArray::number(index)});
            }
        }
    }

    // The address itself, or, without an index, the key with any index.
    void want(const CSettingAddress& address) {
        const bool held =
            address.index.isEmpty() ? holdsKey(m_received, address) : m_received.count(address) > 0;
        if (!held) {
            m_missing.insert(address);
        }
    }

    void earlierOnes() {
        for (const CSettingAddress& address : m_earlier) {
            if (m_received.count(address) == 0) {
                m_missing.insert(address);
            }
        }
    }

    std::vector<CSettingAddress> missing() const { return {m_missing.begin(), m_missing.end()}; }

private:
    bool reportsPort(const QByteArray& port) const {
        return showsPort(m_received, port) || showsPort(m_earlier, port);
    }

    int highestIndex(const std::set<QByteArray>& homes, const QByteArray& group,
                     const QByteArray& key) const {
        int highest = 0;
        for (const Addresses* addresses : {&m_received, &m_earlier}) {
            for (const QByteArray& port : homes) {
                for (auto at = addresses->lower_bound({port, group, key, {}});
                     at != addresses->end() && at->sameKey({port, group, key, {}}); ++at) {
                    bool number = false;
                    const int index = at->index.toInt(&number);
                    if (number && index <= kHighestIndex) {
                        highest = std::max(highest, index);
                    }
                }
            }
        }
        return highest;
    }

    // Where a group stands: the ports under which any of its settings came, now or before;
    // the device itself when none did. A group that stands under ports may have a few
    // settings of the device's own beside them (a preset for every port at once): those
    // do not make the device a home of every member.
    std::set<QByteArray> homesOf(const QByteArray& group) const {
        std::set<QByteArray> homes;
        if (!group.isEmpty()) {
            for (const Addresses* addresses : {&m_received, &m_earlier}) {
                for (const CSettingAddress& address : *addresses) {
                    if (address.group == group) {
                        homes.insert(address.port);
                    }
                }
            }
        }
        if (homes.size() > 1) {
            homes.erase(QByteArray());
        }
        if (homes.empty()) {
            homes.insert(QByteArray());
        }
        return homes;
    }

    const Addresses& m_received;
    const Addresses& m_earlier;
    std::set<CSettingAddress> m_missing;
};

std::vector<QByteArray> sharingIndex(const std::vector<std::vector<QByteArray>>& sets,
                                     const QByteArray& key) {
    for (const std::vector<QByteArray>& keys : sets) {
        if (std::find(keys.begin(), keys.end(), key) != keys.end()) {
            return keys;
        }
    }
    return {key};
}

}  // namespace

std::vector<CSettingAddress> CAnswerCheck::missing(const CValidationSchema& schema,
                                                   std::string_view type, const Addresses& received,
                                                   const Addresses& earlier) {
    Expectation expected(received, earlier);
    expected.want({{}, {}, "TYPE", {}});
    const pugi::xml_node device = type.empty() ? pugi::xml_node() : schema.device(type);
    for (const pugi::xml_node& entry : device.children()) {
        if (isSettingEntry(entry)) {
            expected.entry(entry, {}, {QByteArray(entry.name())});
        } else if (isGroupEntry(entry)) {
            const std::vector<std::vector<QByteArray>> together =
                CValidationSchema::indexedAlike(entry);
            for (const pugi::xml_node& member : entry.children()) {
                if (isSettingEntry(member)) {
                    const QByteArray key(member.name());
                    expected.entry(member, QByteArray(entry.name()), sharingIndex(together, key));
                }
            }
        }
    }
    expected.earlierOnes();
    return expected.missing();
}

std::vector<QByteArray> CAnswerCheck::portsNotShown(const CValidationSchema& schema,
                                                    std::string_view type,
                                                    const Addresses& received,
                                                    const Addresses& earlier) {
    std::set<QByteArray> ports;
    const auto noteBound = [&ports](const pugi::xml_node& setting) {
        if (const pugi::xml_attribute bound = setting.attribute("p")) {
            ports.insert(QByteArray(bound.value()));
        }
    };
    const pugi::xml_node device = type.empty() ? pugi::xml_node() : schema.device(type);
    for (const pugi::xml_node& entry : device.children()) {
        if (isSettingEntry(entry)) {
            noteBound(entry);
        } else if (isGroupEntry(entry)) {
            for (const pugi::xml_node& member : entry.children()) {
                noteBound(member);
            }
        }
    }
    std::vector<QByteArray> notShown;
    for (const QByteArray& port : ports) {
        if (!showsPort(received, port) && !showsPort(earlier, port)) {
            notShown.push_back(port);
        }
    }
    return notShown;
}
