#pragma once

#include <string_view>

// The node kinds of the bus view: each picks the item's icon and how a section is listed
// and committed. What an item is (root, gateway, device, section) is its role, never its
// kind: a device whose family no keyword names has kind 0 and is a device all the same.
class CBusKind {
public:
    static constexpr int kRoot = 0;
    static constexpr int kGateway = 1;
    static constexpr int kUntypedDevice = 2;
    static constexpr int kInterface = 3;    // VEXRS
    static constexpr int kMotorDevice = 4;  // MOTRA, KADEL
    static constexpr int kLedDevice = 6;    // LUMET, SORIN, DMX
    static constexpr int kOtherPort = 12;
    static constexpr int kInterfacePort = 17;
    static constexpr int kMotorPort = 28;
    static constexpr int kLedPort = 29;
    static constexpr int kLed = 10;
    static constexpr int kIconCount = 30;

    // The first keyword of the type keyword table that occurs anywhere in text (case
    // matters), 0 when none does. A port's kind follows the kind of its device.
    static int of(std::string_view text, int deviceKind);

    // Sections listed under a device or a port: their rows are the section's settings.
    static bool isListedSection(int kind);
    // Ports of motor and LED controllers, whose rows are the port's own settings.
    static bool isListedPort(int kind) { return kind == kMotorPort || kind == kLedPort; }
};
