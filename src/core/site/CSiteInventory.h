#pragma once

#include "core/site/CSiteDevice.h"

#include <pugixml.hpp>
#include <vector>

// Every gateway and bus device of a plan (a map file, a snapshot), read once into plain
// records so that comparing two sites or writing a report of thousands of devices never
// goes back to the XML. Readers of the plan's layout: Device_Configuration's UBRIX[@IP]
// and DEVICE[@UID|@SN] with their settings, Network_Configuration for which gateway a
// device was heard behind. A device heard but never read has no settings; a device known
// by both its UID and its serial number (an SN entry left over from before it was
// addressed) counts once, by its UID.
class CSiteInventory {
public:
    static CSiteInventory of(const pugi::xml_document& plan);

    // In the plan's order.
    const std::vector<CSiteDevice>& gateways() const { return m_gateways; }
    // Ordered by gateway (the gateways' order, then devices behind no gateway), then by UID
    // (numerically), devices known only by serial number after those with a UID.
    const std::vector<CSiteDevice>& devices() const { return m_devices; }

private:
    std::vector<CSiteDevice> m_gateways;
    std::vector<CSiteDevice> m_devices;
};
