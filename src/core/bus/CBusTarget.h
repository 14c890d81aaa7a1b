#pragma once

#include <QByteArray>
#include <QByteArrayView>

class CBusTreeItem;

// What an action of the bus acts on, as a value: a gateway, or a device behind it known by
// its UID or its serial number, or one of that device's sections. The bus view makes it from
// its selection, vorel-cli from its command line, so that both go through the same actions.
struct CBusTarget {
    enum class Kind {
        Nothing,  // no selection
        Root,     // the whole bus ("KV network")
        Gateway,
        Device,
        Section,  // a section or port of a device
    };

    Kind kind = Kind::Nothing;
    // The gateway (network byte order) and its dotted text.
    quint32 gatewayAddress = 0;
    QByteArray gatewayText;
    // A device and its sections: the device's own attribute ("UID" or "SN") and number.
    QByteArray deviceAttribute;
    quint32 deviceNumber = 0;
    // An LED section (of the device or of one of its ports): where LED presets go.
    bool ledSection = false;

    static CBusTarget of(const CBusTreeItem* item);
    static CBusTarget gateway(quint32 address);
    static CBusTarget device(quint32 gateway, QByteArrayView attribute, quint32 number);

    bool hasGateway() const { return kind != Kind::Nothing && kind != Kind::Root; }
    bool hasDevice() const { return kind == Kind::Device || kind == Kind::Section; }
    bool isSerialDevice() const { return hasDevice() && deviceAttribute == "SN"; }
};
