#include "core/site/CSiteInventory.h"

#include "core/common/CXPathNumber.h"
#include "core/upload/CUploadWalk.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

namespace {

using Key = std::pair<std::string, std::string>;  // identifying attribute's name and text

std::optional<std::string> leaf(const pugi::xml_node& element, const char* name) {
    const pugi::xml_node child = element.child(name);
    return child ? std::optional<std::string>(CUploadWalk::ownText(child)) : std::nullopt;
}

Key keyOf(const pugi::xml_node& element) {
    const pugi::xml_attribute first = element.first_attribute();
    return {first.name(), first.value()};
}

CSiteDevice gatewayOf(const pugi::xml_node& element) {
    CSiteDevice gateway;
    gateway.kind = CSiteDevice::Kind::Gateway;
    gateway.attribute = "IP";
    gateway.number = element.attribute("IP").value();
    gateway.type = leaf(element, "TYPE");
    gateway.name = leaf(element, "NAME");
    gateway.firmware = leaf(element, "VERSION_SW");
    gateway.settings = CUploadWalk::walk(element);
    return gateway;
}

CSiteDevice busDeviceOf(const pugi::xml_node& element, const Key& key) {
    CSiteDevice device;
    device.kind = CSiteDevice::Kind::BusDevice;
    device.attribute = key.first;
    device.number = key.second;
    device.serial =
        key.first == "SN" ? std::optional<std::string>(key.second) : leaf(element, "SN");
    device.type = leaf(element, "TYPE");
    device.name = leaf(element, "ALIAS");
    device.firmware = leaf(element, "VERSION_SW");
    device.settings = CUploadWalk::walk(element);
    return device;
}

bool isDeviceKey(const Key& key) {
    return key.first == "UID" || key.first == "SN";
}

}  // namespace

CSiteInventory CSiteInventory::of(const pugi::xml_document& plan) {
    CSiteInventory inventory;
    const pugi::xml_node root = plan.child("Plan");
    std::map<Key, std::string> heardBehind;
    std::vector<Key> heardOrder;
    std::set<std::string> gatewaysSeen;
    for (const pugi::xml_node& element : root.child("Device_Configuration").children("UBRIX")) {
        if (element.attribute("IP") &&
            gatewaysSeen.insert(element.attribute("IP").value()).second) {
            inventory.m_gateways.push_back(gatewayOf(element));
        }
    }
    for (const pugi::xml_node& gateway : root.child("Network_Configuration").children("UBRIX")) {
        const std::string address = gateway.attribute("IP").value();
        if (gatewaysSeen.insert(address).second) {
            CSiteDevice heard;
            heard.attribute = "IP";
            heard.number = address;
            inventory.m_gateways.push_back(std::move(heard));
        }
        for (const pugi::xml_node& device : gateway.children("DEVICE")) {
            const Key key = keyOf(device);
            if (isDeviceKey(key) && heardBehind.emplace(key, address).second) {
                heardOrder.push_back(key);
            }
        }
    }

    std::set<Key> read;
    for (const pugi::xml_node& element : root.child("Device_Configuration").children("DEVICE")) {
        const Key key = keyOf(element);
        if (isDeviceKey(key) && read.insert(key).second) {
            inventory.m_devices.push_back(busDeviceOf(element, key));
        }
    }
    for (const Key& key : heardOrder) {
        if (read.insert(key).second) {
            inventory.m_devices.push_back(busDeviceOf(pugi::xml_node(), key));
        }
    }

    std::set<std::string> addressedSerials;
    for (CSiteDevice& device : inventory.m_devices) {
        const auto behind = heardBehind.find({device.attribute, device.number});
        if (behind != heardBehind.end()) {
            device.gateway = behind->second;
        }
        if (device.hasUid() && device.serial) {
            addressedSerials.insert(*device.serial);
        }
    }
    std::erase_if(inventory.m_devices, [&](const CSiteDevice& device) {
        return !device.hasUid() && addressedSerials.count(device.number) > 0;
    });

    std::map<std::string, size_t> gatewayRank;
    for (size_t i = 0; i < inventory.m_gateways.size(); ++i) {
        gatewayRank.emplace(inventory.m_gateways[i].number, i);
    }
    const auto rank = [&](const CSiteDevice& device) {
        const auto found = gatewayRank.find(device.gateway);
        return std::make_tuple(found == gatewayRank.end() ? gatewayRank.size() : found->second,
                               device.hasUid() ? 0 : 1,
                               CXPathNumber::leadingInteger(device.number));
    };
    std::stable_sort(inventory.m_devices.begin(), inventory.m_devices.end(),
                     [&](const CSiteDevice& a, const CSiteDevice& b) { return rank(a) < rank(b); });
    return inventory;
}
