#pragma once

#include "CUploadDevice.h"
#include "CUploadSummary.h"

#include <pugixml.hpp>

// The comparison of a project with a collected map, without a network: each device against
// what the map file says it reported. The same rows an upload would send, as a preview made
// in the office.
class CUploadOffline {
public:
    static CUploadSummary compare(const pugi::xml_document& project, const pugi::xml_document& map,
                                  const pugi::xml_document& schema, CUploadDevice::Kind kind);
};
