#include "CReportCheck.h"

#include "plan/CValidationSchema.h"

namespace {

using Addresses = CReportCheck::Addresses;

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

class Expectation {
public:
    Expectation(const Addresses& received, const Addresses& earlier)
        : m_received(received), m_earlier(earlier) {}

    void entry(const pugi::xml_node& setting, const QByteArray& group) {
        const QByteArray key(setting.name());
        if (const pugi::xml_attribute bound = setting.attribute("p")) {
            const QByteArray port(bound.value());
            if (reportsPort(port)) {
                want({port, group, key, {}});
            }
            return;
        }
        for (const QByteArray& port : homesOf(group)) {
            want({port, group, key, {}});
        }
    }

    void want(const CSettingAddress& address) {
        if (!holdsKey(m_received, address)) {
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
        const auto has = [&port](const Addresses& addresses) {
            for (const CSettingAddress& address : addresses) {
                if (address.port == port) {
                    return true;
                }
            }
            return false;
        };
        return has(m_received) || has(m_earlier);
    }

    // Where a group stands: the ports (empty: the device itself) under which any of its
    // settings came, now or before; the device itself when none did.
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
        if (homes.empty()) {
            homes.insert({});
        }
        return homes;
    }

    const Addresses& m_received;
    const Addresses& m_earlier;
    std::set<CSettingAddress> m_missing;
};

}  // namespace

std::vector<CSettingAddress> CReportCheck::missing(const CValidationSchema& schema,
                                                   std::string_view type, const Addresses& received,
                                                   const Addresses& earlier) {
    Expectation expected(received, earlier);
    expected.want({{}, {}, "TYPE", {}});
    const pugi::xml_node device = type.empty() ? pugi::xml_node() : schema.device(type);
    for (const pugi::xml_node& entry : device.children()) {
        if (isSettingEntry(entry)) {
            expected.entry(entry, {});
        } else if (isGroupEntry(entry)) {
            for (const pugi::xml_node& member : entry.children()) {
                if (isSettingEntry(member)) {
                    expected.entry(member, QByteArray(entry.name()));
                }
            }
        }
    }
    expected.earlierOnes();
    return expected.missing();
}
