#include "core/bus/CBusPlan.h"

#include "core/bus/CBusTreeItem.h"
#include "core/common/CXPathNumber.h"

#include <vector>

quint32 CBusPlan::deviceNumber(const char* text) {
    return static_cast<quint32>(CXPathNumber::leadingInteger(text));
}

std::string CBusPlan::deviceKey(QByteArrayView attribute, std::string_view number) {
    std::string key(attribute.data(), static_cast<size_t>(attribute.size()));
    key += ':';
    key += number;
    return key;
}

std::string CBusPlan::deviceKey(QByteArrayView attribute, quint32 number) {
    return deviceKey(attribute, std::to_string(number));
}

pugi::xml_node CBusPlan::deviceConfiguration(const pugi::xml_document& plan,
                                             QByteArrayView attribute, quint32 number) {
    const std::string name(attribute.data(), static_cast<size_t>(attribute.size()));
    const std::string value = std::to_string(number);
    for (const pugi::xml_node& configuration :
         plan.document_element().children("Device_Configuration")) {
        for (const pugi::xml_node& device : configuration.children("DEVICE")) {
            if (value == device.attribute(name.c_str()).value()) {
                return device;
            }
        }
    }
    return {};
}

bool CBusPlan::hasUid(const pugi::xml_document& plan, QByteArrayView gateway, quint32 uid) {
    const std::string address(gateway.data(), static_cast<size_t>(gateway.size()));
    const std::string value = std::to_string(uid);
    for (const pugi::xml_node& network :
         plan.document_element().children("Network_Configuration")) {
        for (const pugi::xml_node& entry : network.children("UBRIX")) {
            if (address != entry.attribute("IP").value()) {
                continue;
            }
            for (const pugi::xml_node& device : entry.children("DEVICE")) {
                if (value == device.attribute("UID").value()) {
                    return true;
                }
            }
        }
    }
    return false;
}

quint32 CBusPlan::lowestFreeUid(const pugi::xml_document& plan, QByteArrayView gateway,
                                const std::set<quint32>& alsoTaken) {
    const std::string address(gateway.data(), static_cast<size_t>(gateway.size()));
    std::set<quint32> taken = alsoTaken;
    for (const pugi::xml_node& network :
         plan.document_element().children("Network_Configuration")) {
        for (const pugi::xml_node& entry : network.children("UBRIX")) {
            if (address != entry.attribute("IP").value()) {
                continue;
            }
            for (const pugi::xml_node& device : entry.children("DEVICE")) {
                if (const pugi::xml_attribute uid = device.attribute("UID")) {
                    taken.insert(deviceNumber(uid.value()));
                }
            }
        }
    }
    for (quint32 uid = 1; uid <= kMaxUid; ++uid) {
        if (taken.count(uid) == 0) {
            return uid;
        }
    }
    return 0;
}

pugi::xml_node CBusPlan::element(const pugi::xml_document& plan, const CBusTreeItem& item) {
    const CBusTreeItem* device = item.deviceItem();
    if (device == nullptr) {
        return {};
    }
    // The sections from the device down to the item.
    std::vector<const CBusTreeItem*> path;
    for (const CBusTreeItem* step = &item; step != device; step = step->parent()) {
        path.insert(path.begin(), step);
    }
    pugi::xml_node found = deviceConfiguration(plan, device->deviceAttribute, device->deviceNumber);
    for (const CBusTreeItem* step : path) {
        if (!found) {
            break;
        }
        const std::string name = step->element.toStdString();
        if (step->hasElementAttribute) {
            const std::string value = step->elementAttribute.toStdString();
            const pugi::xml_node parent = found;
            found = {};
            for (const pugi::xml_node& candidate : parent.children(name.c_str())) {
                if (value == candidate.first_attribute().value()) {
                    found = candidate;
                    break;
                }
            }
        } else {
            found = found.child(name.c_str());
        }
    }
    return found;
}
