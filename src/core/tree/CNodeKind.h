#pragma once

#include <string_view>

// The node kinds of the configuration trees, and the one keyword table that gives them. A
// kind picks an item's icon (the icon at a kind's index shows that kind) and, in the gateway
// and bus views, what a click on a section lists; what an item is (root, gateway, device,
// section, port) is its role, never its kind.
//
// Each tree reads the table through its own column: the gateway view knows only the
// gateways' sections, the bus view and the project editor the device families and their
// sections, and each tree passes over the rows it does not read. The first keyword that
// occurs anywhere in the text (case matters) gives the kind; none gives 0. A port's kind
// follows the kind of its device.
class CNodeKind {
public:
    enum class Tree { Gateways, Bus, Project };

    static constexpr int kRoot = 0;
    // A gateway; in the project editor also a bus device before its type is known.
    static constexpr int kGateway = 1;
    // A bus device whose type the plan does not hold yet.
    static constexpr int kUntypedDevice = 2;
    static constexpr int kInterface = 3;    // VEXRS
    static constexpr int kMotorDevice = 4;  // MOTRA, KADEL
    static constexpr int kLedDevice = 6;    // LUMET, SORIN, NEBIL, DMX
    static constexpr int kLastDevice = 8;
    static constexpr int kLed = 10;
    static constexpr int kPort = 12;
    static constexpr int kInterfacePort = 17;
    static constexpr int kNetwork = 21;
    static constexpr int kUdp = 22;
    static constexpr int kDaytime = 23;
    static constexpr int kTelnet = 24;
    static constexpr int kLutron = 25;
    static constexpr int kSerial = 26;
    static constexpr int kMotorPort = 28;
    static constexpr int kLedPort = 29;
    static constexpr int kWifi = 30;

    // The kind of a device's TYPE text or of a section's label in that tree; deviceKind is
    // the kind of the device a port belongs to (0: none, and a port is kind 12).
    static int of(std::string_view text, Tree tree, int deviceKind = kRoot);
    // How many icons the tree's image list holds (kinds 0 to n - 1 have one).
    static int iconCount(Tree tree);
};
