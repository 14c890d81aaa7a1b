#pragma once

#include "core/upload/CUploadDevice.h"

#include <functional>
#include <pugixml.hpp>
#include <vector>

// The devices of a project that an upload goes through, in the project's order: every
// UBRIX with an IP for the gateway upload, every DEVICE for the bus upload. Devices that
// cannot be addressed safely are listed with their refusal, never dropped silently.
class CUploadProject {
public:
    static std::vector<CUploadDevice> gateways(const pugi::xml_document& project);
    static std::vector<CUploadDevice> busDevices(const pugi::xml_document& project);
    // The same, one device at a time: a site's million settings are never all copied out.
    static void forEach(const pugi::xml_document& project, CUploadDevice::Kind kind,
                        const std::function<void(CUploadDevice&& device)>& visit);

    // A gateway address that commands may go to: not in 0.0.0.0/8 (where a gateway added
    // from a model waits for its real address), not multicast, not broadcast.
    static bool isUsableGatewayAddress(quint32 address);
    // A UID as the bus knows one: decimal digits without a leading zero, 1..INT_MAX.
    static std::optional<int> plainUid(const QByteArray& text);
};
