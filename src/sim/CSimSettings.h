#pragma once

#include "sim/CSimSetting.h"

#include <QList>
#include <pugixml.hpp>

// The settings of one simulated gateway or bus device, in the order the device reports
// them. Settings of one port and group stay together.
class CSimSettings {
public:
    // Reads the setting elements below a UBRIX or DEVICE element of the plan layout:
    // PORT[@P] holds groups or settings, a group holds settings, a setting is a leaf whose
    // A attribute is its index. Elements whose names are not setting names are skipped.
    static CSimSettings fromElement(const pugi::xml_node& device);

    const QList<CSimSetting>& all() const { return m_settings; }
    qsizetype size() const { return m_settings.size(); }

    CSimSetting* find(const CSettingAddress& path);
    const CSimSetting* find(const CSettingAddress& path) const;
    QByteArray value(const CSettingAddress& path) const;
    bool hasKey(const CSettingAddress& path) const;
    // Whether the key exists with an index anywhere on the device, whatever the port.
    bool isIndexedAnywhere(QByteArrayView group, QByteArrayView key) const;
    bool hasGroupKeyAnywhere(QByteArrayView group, QByteArrayView key) const;
    // The ports (empty for the device itself) under which the group stands.
    QList<QByteArray> portsHoldingGroup(QByteArrayView group) const;
    QList<QByteArray> ports() const;

    // Sets the value, adding the setting after the last one of its port and group when
    // it is new.
    void set(const CSettingAddress& path, const QByteArray& value);
    QList<const CSimSetting*> matching(const CSettingAddress& pattern) const;

private:
    void insertGrouped(CSimSetting setting);

    QList<CSimSetting> m_settings;
};
