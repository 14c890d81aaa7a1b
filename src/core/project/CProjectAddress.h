#pragma once

#include "core/project/CProjectDevice.h"

#include <QString>
#include <functional>
#include <optional>
#include <string>

// The addresses a project gives its devices, in the one form the uploads and the plan
// use: a gateway's dotted IPv4 address as the gateway reports it, a bus device's UID in
// plain decimal.
class CProjectAddress {
public:
    // A bus UID travels in the upper half of a 32-bit hint, so it fits in 16 bits.
    static constexpr long long kMaxUid = 65535;
    // How many addresses a copy tries before it gives up.
    static constexpr int kCopyTries = 256;

    // The canonical text of a typed address, blanks around it ignored: for a gateway a
    // strictly dotted address other than 0.0.0.0 and 255.255.255.255; for a bus device a
    // whole decimal number from 1 to kMaxUid. Anything else ("12x", "10.1", "abc") is none.
    static std::optional<std::string> canonical(CProjectDevice::Role role, const QString& typed);

    // The address a copy of the device gets: counting up from its own (a gateway's last
    // octet as a byte, a UID by one) until taken() says no, for at most kCopyTries tries.
    // None when every try is taken, or the device's own address is not a valid one.
    static std::optional<std::string> nextFree(
        const CProjectDevice& device, const std::function<bool(const std::string&)>& taken);
};
