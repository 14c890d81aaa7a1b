#include "CMapKeywords.h"

#include <array>

namespace {

struct Keyword {
    std::string_view text;
    int kind;
};

constexpr std::array kKeywords{
    Keyword{"VEXRS", 3},    Keyword{"MOTRA", 4},      Keyword{"TAVO", 5},    Keyword{"LUMET", 6},
    Keyword{"NEBIL", 6},    Keyword{"DMX", 6},        Keyword{"FENLO", 8},   Keyword{"PORT", 12},
    Keyword{"IR", 9},       Keyword{"LED", 10},       Keyword{"MOTOR", 13},  Keyword{"LV", 14},
    Keyword{"BUS", 15},     Keyword{"PHOTO", 11},     Keyword{"KEY", 16},    Keyword{"TORMA", 7},
    Keyword{"VOLTAGE", 18}, Keyword{"PROXIMITY", 19}, Keyword{"RELAY", 20},  Keyword{"NETWORK", 21},
    Keyword{"UDP", 22},     Keyword{"TELNET", 24},    Keyword{"SERIAL", 26}, Keyword{"LUTRON", 25},
};

}  // namespace

int CMapKeywords::kindOf(std::string_view text) {
    for (const Keyword& keyword : kKeywords) {
        if (text.find(keyword.text) != std::string_view::npos) {
            return keyword.kind;
        }
    }
    return kRoot;
}
