#pragma once

#include "core/upload/CDeviceAnswers.h"
#include "core/upload/CUploadDevice.h"
#include "core/upload/CUploadRow.h"

#include <optional>
#include <vector>

class CValidationSchema;

// The one comparison behind both uploads and their preview: a project device against what
// it reported. Pure: it sends, logs and waits for nothing; the uploads send the rows that
// differ and write each row's line, the preview shows every row.
class CUploadCompare {
public:
    enum class Presence { Found, NotFound, TypeMismatch };

    // Whether the device reported a TYPE, and the project's.
    static Presence presence(const CUploadDevice& device, const CDeviceAnswers& reported);

    // A row per visited setting, in the order the upload handles them: the walk's order,
    // with a gateway's connection settings moved to its end. Each setting is checked in
    // the order the upload always has: a value at all, the schema entry of the device's
    // type for that very port, one of the options, then the comparison. Only settings the
    // schema lets a user edit are ever sent, and only values the value check accepts.
    static std::vector<CUploadRow> rows(const CUploadDevice& device,
                                        const CValidationSchema& schema,
                                        const CDeviceAnswers& reported);
    // The same for a device that is done with: its settings move into the rows.
    static std::vector<CUploadRow> rows(CUploadDevice&& device, const CValidationSchema& schema,
                                        const CDeviceAnswers& reported);

    // What a report that leaves the upload short lacks, when few enough settings are
    // missing that each is better asked by name ("#UID12.A.LED.DISSOLVE=?;"): its TYPE and
    // every setting of the project it did not report, at most half of them, each at a place
    // the grammar allows. Nothing when the device should be asked for everything again (it
    // reported nothing, or most is missing) or nothing is missing.
    static std::optional<std::vector<CSettingAddress>> missingByName(
        const CUploadDevice& device, const CValidationSchema& schema,
        const CDeviceAnswers& reported);

    // What the upload writes for the row ("->Upload object match: ..."); empty for nothing.
    // Made when the row is handled, not with the rows: a preview writes no lines.
    static QByteArray logLine(const CUploadDevice& device, const CUploadRow& row);

    // NETWORK and UDP settings of a gateway: a change takes effect at once.
    static bool isConnectionSetting(const CTemplateSetting& setting);
    // The plan path the bus upload names a setting by:
    // "//Device_Configuration/DEVICE[@UID='12']/PORT[@P='A']/LED/PRESET[@A='3']".
    static QByteArray planPath(int uid, const CTemplateSetting& setting);
};
