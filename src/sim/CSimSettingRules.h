#pragma once

#include "sim/CSimSettings.h"

#include <QByteArray>
#include <QByteArrayView>

class CValidationSchema;

// What a simulated device accepts in a set command. It stores a value only for a setting
// it has, or for a new index of a setting it keeps indexed (a preset number, say), and
// only when the schema lets a user give that setting that value: any text for EDIT, one
// of the options for COMBO, nothing for a read-only setting. A type that the schema does
// not know takes any value for the settings it has.
class CSimSettingRules {
public:
    static constexpr qsizetype kMaxValueLength = 200;

    // The stored setting, or nullptr when the device refuses the command.
    static const CSimSetting* store(CSimSettings& settings, const CValidationSchema& schema,
                                    QByteArrayView type, const CSettingAddress& path,
                                    const QByteArray& value);
};
