#include "CBusKind.h"

#include <array>

namespace {

struct Keyword {
    std::string_view text;
    int kind;  // -1: the port row, whose kind depends on the device
};

constexpr int kPortRow = -1;

constexpr std::array<Keyword, 26> kKeywords{{
    {"VEXRS", 3},        {"MOTRA", 4},  {"TAVO", 5},     {"LUMET", 6},       {"SORIN", 6},
    {"DMX", 6},          {"KADEL", 4},  {"FENLO", 8},    {"PORT", kPortRow}, {"IR", 9},
    {"LED", 10},         {"MOTOR", 13}, {"LV", 14},      {"BUS", 15},        {"PHOTO", 11},
    {"KEY", 16},         {"TORMA", 7},  {"VOLTAGE", 18}, {"PROXIMITY", 19},  {"RELAY", 20},
    {"NETWORK", 21},     {"UDP", 22},   {"TELNET", 24},  {"SERIAL", 26},     {"LUTRON", 25},
    {"TEMPERATURE", 27},
}};

int portKind(int deviceKind) {
    switch (deviceKind) {
        case CBusKind::kInterface:
            return CBusKind::kInterfacePort;
        case CBusKind::kMotorDevice:
            return CBusKind::kMotorPort;
        case CBusKind::kLedDevice:
            return CBusKind::kLedPort;
        default:
            return CBusKind::kOtherPort;
    }
}

}  // namespace

int CBusKind::of(std::string_view text, int deviceKind) {
    for (const Keyword& keyword : kKeywords) {
        if (text.find(keyword.text) != std::string_view::npos) {
            return keyword.kind == kPortRow ? portKind(deviceKind) : keyword.kind;
        }
    }
    return 0;
}

bool CBusKind::isListedSection(int kind) {
    switch (kind) {
        case 9:
        case 10:
        case 11:
        case 13:
        case 14:
        case 15:
        case 16:
        case 18:
        case 19:
        case 20:
        case 27:
            return true;
        default:
            return false;
    }
}
