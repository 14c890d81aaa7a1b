#pragma once

#include "core/project/CProjectDevice.h"

#include "core/address/CSettingAddress.h"

#include <string>
#include <vector>

// One element on the way from a device down to a section: its name and its first
// attribute, which is how the tree labels it ("PORT (A)").
struct CProjectStep {
    std::string name;
    std::string attribute;  // the first attribute's name; empty when there is none
    std::string value;

    // A port is a PORT element with its letter in P; a label that merely contains "PORT"
    // is no port.
    bool isPort() const { return name == "PORT" && attribute == "P" && !value.empty(); }

    bool operator==(const CProjectStep&) const = default;
};

// A section of a project device whose settings a property page lists and writes: the
// device and the steps down to the section. No steps: the device's own settings.
struct CProjectPlace {
    CProjectDevice device;
    std::vector<CProjectStep> steps;

    // The section of device that holds the setting at address: its port, then its group.
    static CProjectPlace holding(const CProjectDevice& device, const CSettingAddress& address);

    // The letter of the nearest port on the way; empty when the section is on no port.
    std::string port() const;
    // The schema group the section's settings stand in: the section's own name, unless the
    // section is the device or a port.
    std::string group() const;

    bool operator==(const CProjectPlace&) const = default;
};
