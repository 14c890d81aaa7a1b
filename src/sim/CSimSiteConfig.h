#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

// How a site is made: one gateway per address, each with the same number of devices on
// its bus. Types are taken in turn from the lists.
struct CSimSiteConfig {
    static constexpr int kMaxDevicesPerGateway = 999;
    static constexpr quint32 kFirstSerial = 100001;
    static constexpr quint32 kLedZone = 2;
    static constexpr quint32 kMotorZone = 1;

    QList<quint32> addresses;  // network byte order
    int devicesPerGateway = 0;
    // Empty: the types of the gateway model templates.
    QList<QByteArray> gatewayTypes;
    // Empty: the types of the bus device model templates.
    QList<QByteArray> deviceTypes;
    // The last this many devices of every bus have no UID yet, only a serial number.
    int unaddressedPerGateway = 0;
};
