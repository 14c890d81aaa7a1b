#include "core/site/CSiteComparison.h"

#include "core/plan/CSecretRule.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <map>
#include <set>

namespace {

using Kind = CSiteDifference::Kind;
using Value = std::optional<std::string>;

// Settings that name or describe the device rather than configure it: compared as its
// identity, type and firmware, not once more as settings.
bool isIdentity(const CTemplateSetting& setting) {
    const CSettingAddress& address = setting.address;
    return address.port.isEmpty() && address.group.isEmpty() && address.index.isEmpty() &&
           (address.key == "TYPE" || address.key == "SN" || address.key == "VERSION_SW");
}

QByteArray orNone(const Value& value) {
    return value ? QByteArray::fromStdString(*value) : QByteArray("(none)");
}

class Comparer {
public:
    Comparer(std::vector<CSiteDifference>& out, const pugi::xml_document& schema,
             CSiteComparison::Options options)
        : m_out(out),
          m_schema(schema),
          m_secrets(schema, options.withSecrets),
          m_withReadings(options.withReadings) {}

    void add(Kind kind, const CSiteDevice& device, QByteArray place = {}, Value before = {},
             Value after = {}) {
        m_out.push_back(
            {kind, device.label(), std::move(place), std::move(before), std::move(after)});
    }

    void changed(Kind kind, const CSiteDevice& device, const Value& before, const Value& after) {
        if (before != after) {
            add(kind, device, {}, before, after);
        }
    }

    void pair(const CSiteDevice& before, const CSiteDevice& after) {
        if (before.label() != after.label()) {
            add(Kind::Readdressed, after, {}, before.label().toStdString(),
                after.label().toStdString());
        }
        if (before.serial && after.serial && before.serial != after.serial) {
            add(Kind::Replaced, after, {}, "SN " + *before.serial, "SN " + *after.serial);
        }
        if (!before.gateway.empty() && !after.gateway.empty() && before.gateway != after.gateway) {
            add(Kind::Moved, after, {}, "behind " + before.gateway, "behind " + after.gateway);
        }
        if (!before.settings.empty() && after.settings.empty()) {
            add(Kind::Silent, after, {}, std::to_string(before.settings.size()), {});
            return;
        }
        // Heard but never read before (a device without UID reports nothing): there is
        // nothing its settings could have changed from.
        if (before.settings.empty()) {
            return;
        }
        changed(Kind::Type, after, before.type, after.type);
        changed(Kind::Firmware, after, before.firmware, after.firmware);
        settings(before, after);
    }

private:
    // A setting compared: not the identity, and a live reading only when asked for.
    bool isCompared(const CTemplateSetting& setting) const {
        return !isIdentity(setting) && (m_withReadings || !m_schema.holdsReading(setting.address));
    }

    void addSetting(const CSiteDevice& device, const CSettingAddress& address, const Value& before,
                    const Value& after) {
        const auto shown = [&](const Value& value) {
            return value ? Value(m_secrets.shown(address, *value)) : value;
        };
        add(Kind::Setting, device, address.text(), shown(before), shown(after));
    }

    void settings(const CSiteDevice& before, const CSiteDevice& after) {
        std::map<CSettingAddress, const std::string*> old;
        for (const CTemplateSetting& setting : before.settings) {
            if (isCompared(setting)) {
                old.emplace(setting.address, &setting.value);
            }
        }
        std::set<CSettingAddress> seen;
        for (const CTemplateSetting& setting : after.settings) {
            if (!isCompared(setting) || !seen.insert(setting.address).second) {
                continue;
            }
            const auto found = old.find(setting.address);
            if (found == old.end()) {
                addSetting(after, setting.address, {}, setting.value);
            } else if (*found->second != setting.value) {
                addSetting(after, setting.address, *found->second, setting.value);
            }
        }
        for (const CTemplateSetting& setting : before.settings) {
            if (isCompared(setting) && seen.insert(setting.address).second) {
                addSetting(after, setting.address, setting.value, {});
            }
        }
    }

    std::vector<CSiteDifference>& m_out;
    CValidationSchema m_schema;
    CSecretRule m_secrets;
    bool m_withReadings;
};

void compareGateways(const CSiteInventory& before, const CSiteInventory& after, Comparer& out) {
    std::map<std::string, const CSiteDevice*> old;
    for (const CSiteDevice& gateway : before.gateways()) {
        old.emplace(gateway.number, &gateway);
    }
    std::set<std::string> present;
    for (const CSiteDevice& gateway : after.gateways()) {
        present.insert(gateway.number);
        const auto found = old.find(gateway.number);
        if (found == old.end()) {
            out.add(Kind::Added, gateway, {}, {}, gateway.type);
        } else {
            out.pair(*found->second, gateway);
        }
    }
    for (const CSiteDevice& gateway : before.gateways()) {
        if (present.count(gateway.number) == 0) {
            out.add(Kind::Removed, gateway, {}, gateway.type, {});
        }
    }
}

// Pairs each device of the newer site with its older self: by serial number first, then
// what is left by UID (or serial-number entry).
std::vector<const CSiteDevice*> pairDevices(const std::vector<CSiteDevice>& before,
                                            const std::vector<CSiteDevice>& after,
                                            std::vector<bool>& used) {
    std::vector<const CSiteDevice*> partner(after.size(), nullptr);
    std::map<std::string, size_t> bySerial;
    std::map<QByteArray, size_t> byLabel;
    for (size_t i = 0; i < before.size(); ++i) {
        if (before[i].serial) {
            bySerial.emplace(*before[i].serial, i);
        }
        byLabel.emplace(before[i].label(), i);
    }
    const auto take = [&](size_t afterIndex, size_t beforeIndex) {
        if (!used[beforeIndex] && partner[afterIndex] == nullptr) {
            used[beforeIndex] = true;
            partner[afterIndex] = &before[beforeIndex];
        }
    };
    for (size_t i = 0; i < after.size(); ++i) {
        if (after[i].serial) {
            if (const auto found = bySerial.find(*after[i].serial); found != bySerial.end()) {
                take(i, found->second);
            }
        }
    }
    for (size_t i = 0; i < after.size(); ++i) {
        if (const auto found = byLabel.find(after[i].label()); found != byLabel.end()) {
            take(i, found->second);
        }
    }
    return partner;
}

void compareDevices(const CSiteInventory& before, const CSiteInventory& after, Comparer& out) {
    std::vector<bool> used(before.devices().size(), false);
    const std::vector<const CSiteDevice*> partner =
        pairDevices(before.devices(), after.devices(), used);
    for (size_t i = 0; i < after.devices().size(); ++i) {
        const CSiteDevice& device = after.devices()[i];
        if (partner[i] == nullptr) {
            out.add(Kind::Added, device, {}, {}, device.type);
        } else {
            out.pair(*partner[i], device);
        }
    }
    for (size_t i = 0; i < before.devices().size(); ++i) {
        if (!used[i]) {
            out.add(Kind::Removed, before.devices()[i], {}, before.devices()[i].type, {});
        }
    }
}

}  // namespace

std::vector<CSiteDifference> CSiteComparison::compare(const CSiteInventory& before,
                                                      const CSiteInventory& after,
                                                      const pugi::xml_document& schema,
                                                      Options options) {
    std::vector<CSiteDifference> differences;
    Comparer out(differences, schema, options);
    compareGateways(before, after, out);
    compareDevices(before, after, out);
    return differences;
}

QByteArray CSiteComparison::describe(const CSiteDifference& difference) {
    switch (difference.kind) {
        case Kind::Added:
            return "added" + (difference.after ? " (" + orNone(difference.after) + ")" : "");
        case Kind::Removed:
            return "removed" + (difference.before ? " (" + orNone(difference.before) + ")" : "");
        case Kind::Silent:
            return "reported no settings (" + orNone(difference.before) + " before)";
        case Kind::Setting:
            return difference.place + ": " + orNone(difference.before) + " -> " +
                   orNone(difference.after);
        case Kind::Readdressed:
        case Kind::Replaced:
        case Kind::Moved:
        case Kind::Type:
        case Kind::Firmware:
            break;
    }
    return QByteArray(CSiteDifference::kindName(difference.kind)) + ": " +
           orNone(difference.before) + " -> " + orNone(difference.after);
}

QByteArray CSiteComparison::text(const std::vector<CSiteDifference>& differences) {
    QByteArray text;
    for (const CSiteDifference& difference : differences) {
        text += difference.device + ": " + describe(difference) + '\n';
    }
    return text;
}

QByteArray CSiteComparison::json(const std::vector<CSiteDifference>& differences) {
    QJsonArray list;
    for (const CSiteDifference& difference : differences) {
        QJsonObject object{
            {QStringLiteral("device"), QString::fromUtf8(difference.device)},
            {QStringLiteral("change"),
             QString::fromLatin1(CSiteDifference::kindName(difference.kind))},
        };
        if (!difference.place.isEmpty()) {
            object.insert(QStringLiteral("place"), QString::fromUtf8(difference.place));
        }
        if (difference.before) {
            object.insert(QStringLiteral("old"), QString::fromStdString(*difference.before));
        }
        if (difference.after) {
            object.insert(QStringLiteral("new"), QString::fromStdString(*difference.after));
        }
        list.append(object);
    }
    const QJsonObject root{{QStringLiteral("same"), differences.empty()},
                           {QStringLiteral("differences"), list}};
    return QJsonDocument(root).toJson(QJsonDocument::Compact) + '\n';
}
