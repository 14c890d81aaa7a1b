#include "core/bus/CBusTarget.h"

#include "core/bus/CBusTreeItem.h"
#include "core/transport/CIpv4Address.h"
#include "core/tree/CNodeKind.h"

CBusTarget CBusTarget::of(const CBusTreeItem* item) {
    CBusTarget target;
    if (item == nullptr) {
        return target;
    }
    switch (item->role()) {
        case CBusTreeItem::Role::Root:
            target.kind = Kind::Root;
            return target;
        case CBusTreeItem::Role::Gateway:
            target.kind = Kind::Gateway;
            break;
        case CBusTreeItem::Role::Device:
            target.kind = Kind::Device;
            break;
        case CBusTreeItem::Role::Section:
        case CBusTreeItem::Role::Port:
            target.kind = Kind::Section;
            break;
    }
    // Every item below a gateway carries it.
    target.gatewayAddress = item->gatewayAddress;
    target.gatewayText = item->gatewayText;
    if (const CBusTreeItem* device = item->deviceItem()) {
        target.deviceAttribute = device->deviceAttribute;
        target.deviceNumber = device->deviceNumber;
    }
    target.ledSection =
        item->role() == CBusTreeItem::Role::Section && item->kind == CNodeKind::kLed;
    return target;
}

CBusTarget CBusTarget::gateway(quint32 address) {
    CBusTarget target;
    target.kind = Kind::Gateway;
    target.gatewayAddress = address;
    target.gatewayText = CIpv4Address::toDotted(address);
    return target;
}

CBusTarget CBusTarget::device(quint32 gateway, QByteArrayView attribute, quint32 number) {
    CBusTarget target = CBusTarget::gateway(gateway);
    target.kind = Kind::Device;
    target.deviceAttribute = attribute.toByteArray();
    target.deviceNumber = number;
    return target;
}
