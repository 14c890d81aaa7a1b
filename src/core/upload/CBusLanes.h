#pragma once

#include "core/upload/CUploadDevice.h"
#include "core/upload/CUploadLanes.h"

#include <pugixml.hpp>
#include <vector>

// The bus device upload's lanes: one per bus, that is per gateway the plan last heard the
// device behind (its DEVICE entry under Network_Configuration's UBRIX), in the plan's order
// of the gateways, each with its devices in the project's order. A device that no gateway
// lists comes afterwards. The plan does not say which of two gateways that both list a
// device heard it last; the later one in the plan takes it (its commands are broadcast,
// so a device in another bus's lane is still reached, only not at that bus's pace).
class CBusLanes {
public:
    static CUploadLanes of(const std::vector<CUploadDevice>& devices,
                           const pugi::xml_document& plan);
};
