#include "sim/CSimDefaults.h"

#include "core/plan/CValidationSchema.h"

#include <array>

namespace {

struct Default {
    const char* group;  // nullptr: any group
    const char* key;
    const char* value;
};

// Group-specific entries first: the first match wins.
constexpr std::array kDefaults{
    Default{"NETWORK", "STATIC_IP", "192.168.1.100"},
    Default{"NETWORK", "NETMASK", "255.255.255.0"},
    Default{"NETWORK", "GATEWAY_ADD", "192.168.1.1"},
    Default{"NETWORK", "DNS_ADD", "192.168.1.1"},
    Default{"NETWORK", "MAC_ADD", "00:1B:C5:00:00:01"},
    Default{"UDP", "LISTEN_PORT", "5000"},
    Default{"UDP", "SEND_PORT", "4000"},
    Default{"UDP", "REMOTE_IP", "255.255.255.255"},
    Default{"TELNET", "LISTEN_PORT", "23"},
    Default{"TELNET", "PASSWORD", "ubrix"},
    Default{"TELNET", "TIMEOUT", "300"},
    Default{"DAYTIME", "TIME", "12:00:00"},
    Default{"DAYTIME", "DATE", "2026-01-01"},
    Default{"DAYTIME", "TIME_ZONE", "+01:00"},
    Default{"DAYTIME", "NTP_SERVER", "pool.ntp.org"},
    Default{"DAYTIME", "LATITUDE", "52.37"},
    Default{"DAYTIME", "LONGITUDE", "4.89"},
    Default{"LUTRON", "HOST_IP", "192.168.1.50"},
    Default{"LUTRON", "HOST_PORT", "23"},
    Default{"LUTRON", "LOGIN_NAME", "lutron"},
    Default{"LUTRON", "PASSWORD", "integration"},
    Default{"LUTRON", "KEEP_ALIVE", "60"},
    Default{"WIFI", "SSID", "UBRIX"},
    Default{"WIFI", "PASSPHRASE", "ubrix-setup"},
    Default{"WIFI", "SIGNAL", "-58"},
    Default{"LED", "PRESET", "255.255.255"},
    Default{"LED", "LEVEL_MAX", "255"},
    Default{"LED", "DISSOLVE", "10"},
    Default{"LED", "CURRENT", "350"},
    Default{"LED", "START_CHANNEL", "1"},
    Default{"MOTOR", "TRAVEL_UP", "30"},
    Default{"MOTOR", "TRAVEL_DOWN", "28"},
    Default{"MOTOR", "TILT_TIME", "2"},
    Default{"MOTOR", "CURRENT_LIMIT", "2000"},
    Default{"VOLTAGE", "SUPPLY", "24.1"},
    Default{"VOLTAGE", "ALARM_LOW", "21"},
    Default{"PHOTO", "LEVEL", "320"},
    Default{"PHOTO", "THRESHOLD", "200"},
    Default{"TEMPERATURE", "VALUE", "21.5"},
    Default{"KEY", "TARGET", "1.1.1"},
    Default{"KEY", "HOLD_TIME", "5"},
    Default{"LV", "TARGET", "1.1.1"},
    Default{"LV", "DEBOUNCE", "50"},
    Default{"BUS", "ADDRESS", "1"},
    Default{"BUS", "ZONE", "1"},
    Default{"BUS", "LINK", "OK"},
    Default{"IR", "CODE", "0000"},
    Default{"IR", "REPEAT", "1"},
    Default{nullptr, "NAME", "Ubrix"},
    Default{nullptr, "ALIAS", "DEVICE"},
    Default{nullptr, "VERSION_HW", "3.1"},
    Default{nullptr, "VERSION_SW", "2.4.7"},
    Default{nullptr, "SN", "1"},
};

}  // namespace

QByteArray CSimDefaults::value(QByteArrayView group, QByteArrayView key,
                               const pugi::xml_node& schemaSetting) {
    if (CValidationSchema::control(schemaSetting) == CValidationSchema::Control::Combo) {
        for (const std::string& option : CValidationSchema::options(schemaSetting)) {
            if (!option.empty()) {
                return QByteArray::fromStdString(option);
            }
        }
    }
    for (const Default& entry : kDefaults) {
        if ((entry.group == nullptr || group == entry.group) && key == entry.key) {
            return entry.value;
        }
    }
    return "0";
}
