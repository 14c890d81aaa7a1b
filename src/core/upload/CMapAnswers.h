#pragma once

#include "core/upload/CDeviceAnswers.h"

#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <unordered_map>

// What a map file says every gateway and bus device reported, read out of its document
// once and kept compactly, so that the document (a large site's is hundreds of megabytes
// as nodes) can go before the project it is compared with is loaded.
class CMapAnswers {
public:
    // The UBRIX elements by IP and the DEVICE elements by UID under Device_Configuration;
    // the first element of a key counts, as a look-up in the document would find it.
    static CMapAnswers of(const pugi::xml_document& map);

    // The report of the gateway whose IP has this text; null when the map has none.
    const CDeviceAnswers* gateway(std::string_view ip) const;
    // The report of the bus device whose UID has this text; null when the map has none.
    const CDeviceAnswers* device(std::string_view uid) const;

private:
    std::unordered_map<std::string, CDeviceAnswers> m_gateways;
    std::unordered_map<std::string, CDeviceAnswers> m_devices;
};
