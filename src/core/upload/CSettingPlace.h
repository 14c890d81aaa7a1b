#pragma once

#include <string>
#include <tuple>

// Where a setting lives on a device, as replies and commands name it:
// [port "."] [group "."] key ["." index].
struct CSettingPlace {
    std::string port;
    std::string group;
    std::string key;
    std::string index;

    bool operator<(const CSettingPlace& other) const {
        return std::tie(port, group, key, index) <
               std::tie(other.port, other.group, other.key, other.index);
    }
    bool operator==(const CSettingPlace& other) const {
        return std::tie(port, group, key, index) ==
               std::tie(other.port, other.group, other.key, other.index);
    }
};
