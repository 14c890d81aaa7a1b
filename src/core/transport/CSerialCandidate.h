#pragma once

#include <QString>
#include <QtGlobal>

// A serial port as the system lists it, before the gateway is looked for among them.
struct CSerialCandidate {
    // What opens the port: a device path such as /dev/ttyACM0 or \\.\COM12.
    QString devicePath;
    // Windows' PNPDeviceID, e.g. USB\VID_03EB&PID_6124\5&2A1B...; empty elsewhere.
    QString pnpDeviceId;
    // Windows' DeviceID, e.g. COM5; empty elsewhere.
    QString deviceId;
    // The USB ids where the system gives them as numbers (Linux, macOS).
    bool hasUsbIds = false;
    quint16 vendorId = 0;
    quint16 productId = 0;
};
