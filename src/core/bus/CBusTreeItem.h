#pragma once

#include "core/tree/CTreeItem.h"

#include <QByteArray>
#include <QString>

// One item of the bus view's tree. Its role says what it stands for, and its data says
// which gateway, device, port and section, so that every action finds its target from the
// item itself, never from its label or its kind.
class CBusTreeItem : public CTreeNode<CBusTreeItem> {
public:
    using CTreeNode::CTreeNode;

    // A gateway and everything below it: the gateway's address (network byte order) and
    // its dotted text.
    quint32 gatewayAddress = 0;
    QByteArray gatewayText;
    // A device and everything below it: the device's own attribute ("UID" or "SN") and
    // number. "SN 812" and "UID 812" are different devices.
    QByteArray deviceAttribute;
    quint32 deviceNumber = 0;
    // A section or port: its element's name and the value of its first attribute, if it
    // has one.
    QByteArray element;
    QByteArray elementAttribute;
    bool hasElementAttribute = false;
    // A section's label as its element gives it, before any alias is added.
    QString baseLabel;
    // The port letter of a "PORT (x)" item and of every section below it.
    QByteArray port;

    // A "PORT (x)" item: a port of its device.
    bool isPort() const { return role() == Role::Port; }
    bool isSerialDevice() const { return deviceAttribute == "SN"; }
    // The gateway item on the way to the root (the item itself for a gateway), or null.
    const CBusTreeItem* gatewayItem() const;
    // The device item on the way to the root (the item itself for a device), or null.
    const CBusTreeItem* deviceItem() const;

    // The same gateway, device or section: by address, by attribute and number, by element
    // and attribute.
    bool isSameAs(const CTreeItem& other) const override;
};
