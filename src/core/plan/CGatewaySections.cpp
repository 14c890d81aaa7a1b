#include "CGatewaySections.h"

#include <array>
#include <utility>

int CGatewaySections::kindOf(const QString& label) {
    static constexpr std::array<std::pair<const char*, int>, 8> kKeywords{{
        {"NETWORK", kNetwork},
        {"UDP", kUdp},
        {"TELNET", kTelnet},
        {"SERIAL", kSerial},
        {"LUTRON", kLutron},
        {"PORT", kPort},
        {"DAYTIME", kDaytime},
        {"WIFI", kWifi},
    }};
    for (const auto& [keyword, kind] : kKeywords) {
        if (label.contains(QLatin1String(keyword))) {
            return kind;
        }
    }
    return 0;
}

QString CGatewaySections::restartNote(int kind) {
    switch (kind) {
        case kNetwork:
        case kUdp:
        case kTelnet:
        case kSerial:
            return QString::fromLatin1(kRestartNeeded);
        case kLutron:
            return QString::fromLatin1(kConnectionRestartNeeded);
        default:
            return QString();
    }
}

bool CGatewaySections::isSectionPage(int kind) {
    switch (kind) {
        case kNetwork:
        case kUdp:
        case kDaytime:
        case kTelnet:
        case kLutron:
        case kWifi:
        case kSerial:
            return true;
        default:
            return false;
    }
}
