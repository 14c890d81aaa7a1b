#pragma once

#include <QByteArray>
#include <optional>
#include <string>

// One thing that differs between two snapshots of a site.
struct CSiteDifference {
    enum class Kind {
        Added,        // a gateway or device only the newer site has
        Removed,      // a gateway or device only the older site has
        Readdressed,  // the same serial number under another UID
        Replaced,     // the same UID, another serial number: a device swapped for a new one
        Moved,        // heard behind another gateway
        Silent,       // it reported settings before and none now
        Type,
        Firmware,
        Setting,  // one setting: its place, the old and the new value (nothing: not reported)
    };

    Kind kind = Kind::Setting;
    QByteArray device;  // "IP 10.0.0.2", "UID 12", "SN 100004", as the newer site names it
    QByteArray place;   // a setting's place, "A.LED.MODE"
    std::optional<std::string> before;
    std::optional<std::string> after;

    // "added", "readdressed", "setting", ...: how the outputs name the kind.
    static const char* kindName(Kind kind);
};
