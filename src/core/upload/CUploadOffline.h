#pragma once

#include "core/upload/CDeviceOutcome.h"
#include "core/upload/CUploadDevice.h"

#include <functional>
#include <pugixml.hpp>

class CMapAnswers;

// The comparison of a project with a collected map, without a network: each device against
// what the map file says it reported. The same rows an upload would send, as a preview made
// in the office. Device by device, so that a site of a million settings is compared (and
// written out) without ever holding all its rows.
class CUploadOffline {
public:
    // Every device of that kind in the project's order, each handed to visit as soon as it
    // is compared.
    static void compare(const pugi::xml_document& project, const CMapAnswers& map,
                        const pugi::xml_document& schema, CUploadDevice::Kind kind,
                        const std::function<void(CDeviceOutcome&& device)>& visit);
};
