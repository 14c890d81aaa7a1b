#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

// One item of the bus view's tree. Its role says what it stands for, and its data says
// which gateway, device, port and section, so that every action finds its target from the
// item itself, never from its label or its kind.
class CBusTreeItem {
public:
    enum class Role { Root, Gateway, Device, Section };

    CBusTreeItem(Role role, CBusTreeItem* parent) : m_role(role), m_parent(parent) {}

    Role role() const { return m_role; }
    CBusTreeItem* parent() const { return m_parent; }
    int row() const { return m_row; }
    int childCount() const { return static_cast<int>(m_children.size()); }
    CBusTreeItem* child(int row) const { return m_children[static_cast<size_t>(row)].get(); }

    // The kind picks the icon (and a section's page); the label is for people.
    int kind = 0;
    QString label;

    // A gateway and everything below it: the gateway's address (network byte order) and
    // its dotted text.
    quint32 gatewayAddress = 0;
    QByteArray gatewayText;
    // A device and everything below it: the device's own attribute ("UID" or "SN") and
    // number. "SN 812" and "UID 812" are different devices.
    QByteArray deviceAttribute;
    quint32 deviceNumber = 0;
    // A section: its element's name and the value of its first attribute, if it has one.
    QByteArray element;
    QByteArray elementAttribute;
    bool hasElementAttribute = false;
    // A section's label as its element gives it, before any alias is added.
    QString baseLabel;
    // The port letter of a "PORT (x)" item and of every section below it.
    QByteArray port;

    // A "PORT (x)" item: a port of its device.
    bool isPort() const {
        return m_role == Role::Section && element == "PORT" && hasElementAttribute;
    }
    bool isSerialDevice() const { return deviceAttribute == "SN"; }
    // The gateway item on the way to the root (the item itself for a gateway), or null.
    const CBusTreeItem* gatewayItem() const;
    // The device item on the way to the root (the item itself for a device), or null.
    const CBusTreeItem* deviceItem() const;

    CBusTreeItem* insertChild(int row, std::unique_ptr<CBusTreeItem> item);
    void removeChild(int row);
    void clearChildren() { m_children.clear(); }

private:
    void renumberFrom(int row);

    Role m_role;
    CBusTreeItem* m_parent;
    int m_row = 0;
    std::vector<std::unique_ptr<CBusTreeItem>> m_children;
};
