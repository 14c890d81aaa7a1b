#include "core/tree/CNodeKind.h"

#include <array>

namespace {

// Which trees read a row of the table.
constexpr unsigned kGateways = 1U << static_cast<unsigned>(CNodeKind::Tree::Gateways);
constexpr unsigned kBus = 1U << static_cast<unsigned>(CNodeKind::Tree::Bus);
constexpr unsigned kProject = 1U << static_cast<unsigned>(CNodeKind::Tree::Project);
constexpr unsigned kDevices = kBus | kProject;
constexpr unsigned kAll = kGateways | kBus | kProject;

constexpr int kPortRow = -1;  // the kind depends on the port's device

struct Keyword {
    std::string_view text;
    int kind;
    unsigned trees;
};

// The gateway view tries its sections before PORT, the device trees PORT before theirs:
// PORT stands twice, once for each order.
constexpr std::array<Keyword, 30> kKeywords{{
    {"VEXRS", 3, kDevices},       {"MOTRA", 4, kDevices},      {"TAVO", 5, kDevices},
    {"LUMET", 6, kDevices},       {"SORIN", 6, kBus},          {"NEBIL", 6, kProject},
    {"DMX", 6, kDevices},         {"KADEL", 4, kBus},          {"FENLO", 8, kDevices},
    {"PORT", kPortRow, kDevices}, {"IR", 9, kDevices},         {"LED", 10, kDevices},
    {"MOTOR", 13, kDevices},      {"LV", 14, kDevices},        {"BUS", 15, kDevices},
    {"PHOTO", 11, kDevices},      {"KEY", 16, kDevices},       {"TORMA", 7, kDevices},
    {"VOLTAGE", 18, kDevices},    {"PROXIMITY", 19, kDevices}, {"RELAY", 20, kDevices},
    {"NETWORK", 21, kAll},        {"UDP", 22, kAll},           {"TELNET", 24, kAll},
    {"SERIAL", 26, kAll},         {"LUTRON", 25, kAll},        {"PORT", kPortRow, kGateways},
    {"DAYTIME", 23, kGateways},   {"WIFI", 30, kGateways},     {"TEMPERATURE", 27, kBus},
}};

int portKind(int deviceKind) {
    switch (deviceKind) {
        case CNodeKind::kInterface:
            return CNodeKind::kInterfacePort;
        case CNodeKind::kMotorDevice:
            return CNodeKind::kMotorPort;
        case CNodeKind::kLedDevice:
            return CNodeKind::kLedPort;
        default:
            return CNodeKind::kPort;
    }
}

}  // namespace

int CNodeKind::of(std::string_view text, Tree tree, int deviceKind) {
    const unsigned column = 1U << static_cast<unsigned>(tree);
    for (const Keyword& keyword : kKeywords) {
        if ((keyword.trees & column) != 0 && text.find(keyword.text) != std::string_view::npos) {
            return keyword.kind == kPortRow ? portKind(deviceKind) : keyword.kind;
        }
    }
    return kRoot;
}

int CNodeKind::iconCount(Tree tree) {
    switch (tree) {
        case Tree::Gateways:
            return 28;
        case Tree::Bus:
            return 30;
        case Tree::Project:
            return 27;
    }
    return 0;
}
