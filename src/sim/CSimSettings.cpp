#include "sim/CSimSettings.h"

#include <cstring>

namespace {

bool isLeaf(const pugi::xml_node& element) {
    for (const pugi::xml_node& child : element.children()) {
        if (child.type() == pugi::node_element) {
            return false;
        }
    }
    return true;
}

QByteArray text(const char* value) {
    return QByteArray(value);
}

}  // namespace

CSimSettings CSimSettings::fromElement(const pugi::xml_node& device) {
    CSimSettings settings;
    auto addLeaf = [&settings](const pugi::xml_node& leaf, const QByteArray& port,
                               const QByteArray& group) {
        CSimSetting setting;
        setting.address.port = port;
        setting.address.group = group;
        setting.address.key = text(leaf.name());
        setting.address.index = text(leaf.attribute("A").value());
        setting.value = text(leaf.text().get());
        if (CSettingAddress::isName(setting.address.key) &&
            (setting.address.index.isEmpty() || CSettingAddress::isNumber(setting.address.index))) {
            settings.m_settings.append(setting);
        }
    };
    auto addGroup = [&addLeaf](const pugi::xml_node& group, const QByteArray& port) {
        const QByteArray name = text(group.name());
        if (!CSettingAddress::isName(name)) {
            return;
        }
        for (const pugi::xml_node& leaf : group.children()) {
            if (leaf.type() == pugi::node_element && isLeaf(leaf)) {
                addLeaf(leaf, port, name);
            }
        }
    };
    for (const pugi::xml_node& child : device.children()) {
        if (child.type() != pugi::node_element) {
            continue;
        }
        if (std::strcmp(child.name(), "PORT") == 0) {
            const QByteArray port = text(child.attribute("P").value());
            if (port.size() != 1 || port[0] < 'A' || port[0] > 'Z') {
                continue;
            }
            for (const pugi::xml_node& inner : child.children()) {
                if (inner.type() != pugi::node_element) {
                    continue;
                }
                if (isLeaf(inner)) {
                    addLeaf(inner, port, {});
                } else {
                    addGroup(inner, port);
                }
            }
        } else if (isLeaf(child)) {
            addLeaf(child, {}, {});
        } else {
            addGroup(child, {});
        }
    }
    return settings;
}

CSimSetting* CSimSettings::find(const CSettingAddress& path) {
    for (CSimSetting& setting : m_settings) {
        if (setting.address == path) {
            return &setting;
        }
    }
    return nullptr;
}

const CSimSetting* CSimSettings::find(const CSettingAddress& path) const {
    for (const CSimSetting& setting : m_settings) {
        if (setting.address == path) {
            return &setting;
        }
    }
    return nullptr;
}

QByteArray CSimSettings::value(const CSettingAddress& path) const {
    const CSimSetting* setting = find(path);
    return setting != nullptr ? setting->value : QByteArray();
}

bool CSimSettings::hasKey(const CSettingAddress& path) const {
    for (const CSimSetting& setting : m_settings) {
        if (setting.address.sameKey(path)) {
            return true;
        }
    }
    return false;
}

bool CSimSettings::isIndexedAnywhere(QByteArrayView group, QByteArrayView key) const {
    for (const CSimSetting& setting : m_settings) {
        if (setting.address.group == group && setting.address.key == key &&
            !setting.address.index.isEmpty()) {
            return true;
        }
    }
    return false;
}

bool CSimSettings::hasGroupKeyAnywhere(QByteArrayView group, QByteArrayView key) const {
    for (const CSimSetting& setting : m_settings) {
        if (setting.address.group == group && setting.address.key == key) {
            return true;
        }
    }
    return false;
}

QList<QByteArray> CSimSettings::portsHoldingGroup(QByteArrayView group) const {
    QList<QByteArray> found;
    for (const CSimSetting& setting : m_settings) {
        if (setting.address.group == group && !found.contains(setting.address.port)) {
            found.append(setting.address.port);
        }
    }
    return found;
}

QList<QByteArray> CSimSettings::ports() const {
    QList<QByteArray> found;
    for (const CSimSetting& setting : m_settings) {
        if (!setting.address.port.isEmpty() && !found.contains(setting.address.port)) {
            found.append(setting.address.port);
        }
    }
    return found;
}

void CSimSettings::set(const CSettingAddress& path, const QByteArray& value) {
    if (CSimSetting* existing = find(path)) {
        existing->value = value;
        return;
    }
    insertGrouped(CSimSetting{path, value});
}

QList<const CSimSetting*> CSimSettings::matching(const CSettingAddress& pattern) const {
    QList<const CSimSetting*> found;
    for (const CSimSetting& setting : m_settings) {
        if (pattern.isEmpty() || setting.address.answers(pattern)) {
            found.append(&setting);
        }
    }
    return found;
}

void CSimSettings::insertGrouped(CSimSetting setting) {
    qsizetype after = -1;
    for (qsizetype i = 0; i < m_settings.size(); ++i) {
        const CSettingAddress& path = m_settings[i].address;
        if (path.port == setting.address.port && path.group == setting.address.group) {
            after = i;
        }
    }
    if (after < 0) {
        m_settings.append(std::move(setting));
    } else {
        m_settings.insert(after + 1, std::move(setting));
    }
}
