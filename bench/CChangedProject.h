#pragma once

#include "core/plan/CValidationSchema.h"
#include "sim/CSimSettings.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <optional>

// A project that changes a simulated device: its first settings that a user may set get
// another value the schema allows. The benchmarks of the uploads share it, so that each
// uploads the same changes.
class CChangedProject {
public:
    // A value the schema lets a user give the setting, other than the one it has.
    static std::optional<QByteArray> otherValue(const pugi::xml_node& entry,
                                                const QByteArray& value) {
        switch (CValidationSchema::control(entry)) {
            case CValidationSchema::Control::Edit:
                return value + "7";
            case CValidationSchema::Control::Combo:
                for (const std::string& option : CValidationSchema::options(entry)) {
                    if (QByteArray::fromStdString(option) != value) {
                        return QByteArray::fromStdString(option);
                    }
                }
                return std::nullopt;
            case CValidationSchema::Control::ReadOnly:
                break;
        }
        return std::nullopt;
    }

    // A project element for a simulated device whose first `changes` settings that a user may
    // set (a gateway's connection settings and its name aside) get another value.
    static QByteArray device(const QByteArray& key, const QByteArray& type,
                             const CSimSettings& settings, const CValidationSchema& schema,
                             int changes) {
        QByteArray top = "<TYPE>" + type + "</TYPE>";
        QMap<QByteArray, QByteArray> groups;  // "port|group" -> members
        for (const CSimSetting& setting : settings.all()) {
            const CSettingAddress& path = setting.address;
            if (changes == 0 || path.group == "NETWORK" || path.group == "UDP" ||
                path.key == "NAME" || path.key == "TYPE") {
                continue;
            }
            const pugi::xml_node entry = schema.setting(type.toStdString(), path);
            const auto value = entry ? otherValue(entry, setting.value) : std::nullopt;
            if (!value || path.group.isEmpty()) {
                continue;
            }
            const QByteArray index =
                path.index.isEmpty() ? QByteArray() : " A='" + path.index + "'";
            groups[path.port + "|" + path.group] +=
                "<" + path.key + index + ">" + *value + "</" + path.key + ">";
            --changes;
        }
        if (changes > 0) {
            qFatal("%s has too few settings to change", type.constData());
        }
        for (auto group = groups.cbegin(); group != groups.cend(); ++group) {
            const QList<QByteArray> parts = group.key().split('|');
            QByteArray element = "<" + parts[1] + ">" + group.value() + "</" + parts[1] + ">";
            if (!parts[0].isEmpty()) {
                element = "<PORT P='" + parts[0] + "'>" + element + "</PORT>";
            }
            top += element;
        }
        return (key.startsWith("IP") ? "<UBRIX " : "<DEVICE ") + key + ">" + top +
               (key.startsWith("IP") ? "</UBRIX>" : "</DEVICE>");
    }
};
