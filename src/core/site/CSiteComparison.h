#pragma once

#include "core/site/CSiteDifference.h"
#include "core/site/CSiteInventory.h"

#include <QByteArray>
#include <vector>

// Two snapshots of a site, compared: gateways by address; bus devices by serial number
// (so that a device given another UID is one device readdressed), then what is left by UID
// (the same UID with another serial number is a device replaced); then each pair's type,
// firmware and every setting, old -> new. Identity and versions are not counted again
// among the settings; a device that reported nothing on one side (silent, or without UID)
// is said to be silent, or has nothing to compare. Live readings (the schema's reading
// settings: a level, a supply voltage, a signal strength) differ at every visit and are
// left out unless asked for; a credential's values show as "(set)" or "(empty)" unless the
// secrets are asked for (CSecretRule), so a changed password still shows as a change.
class CSiteComparison {
public:
    struct Options {
        bool withSecrets = false;
        bool withReadings = false;
    };

    static std::vector<CSiteDifference> compare(const CSiteInventory& before,
                                                const CSiteInventory& after,
                                                const pugi::xml_document& schema, Options options);

    // One line a difference: "UID 12: A.LED.MODE: RGBW -> RGB", "IP 10.0.0.5: added".
    static QByteArray text(const std::vector<CSiteDifference>& differences);
    // {"same": bool, "differences": [{"device", "change", "place", "old", "new"}]}, one line.
    static QByteArray json(const std::vector<CSiteDifference>& differences);
    // The line of one difference, without its device.
    static QByteArray describe(const CSiteDifference& difference);
};
