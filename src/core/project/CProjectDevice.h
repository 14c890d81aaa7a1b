#pragma once

#include <string>

// One device of a project as its editors name it: a gateway by the text of its IP
// attribute, a bus device by the text of its UID attribute, exactly as the project holds
// them. Which element it is follows from the role alone, never from a type or an icon.
struct CProjectDevice {
    enum class Role { Gateway, BusDevice };

    Role role = Role::BusDevice;
    std::string id;

    bool isGateway() const { return role == Role::Gateway; }
    const char* element() const { return isGateway() ? "UBRIX" : "DEVICE"; }
    const char* attribute() const { return isGateway() ? "IP" : "UID"; }

    bool operator==(const CProjectDevice&) const = default;
};
