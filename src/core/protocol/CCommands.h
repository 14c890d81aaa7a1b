#pragma once

#include "core/address/CSettingAddress.h"

#include <QByteArray>
#include <QByteArrayView>

// Every command text the program says to a gateway or, through it, to the bus, built in
// one place. "&" texts are for the gateway itself, "#" texts go on to its bus.
class CCommands {
public:
    // "&NAME=?;": every gateway that hears it answers with its name.
    static QByteArray gatewayNameQuery() { return "&NAME=?;"; }
    // "&=?;": the gateway answers with all its settings.
    static QByteArray gatewayFullQuery() { return "&=?;"; }
    // "&=?": the same question as the gateway upload asks it, with no terminator.
    static QByteArray gatewayFullQueryUnterminated() { return "&=?"; }
    static QByteArray gatewayRestart() { return "&VERSION_HW=RESET;"; }
    static QByteArray gatewayIdentify() { return "&=IDENTIFY"; }
    // "&" [port "."] [group "."] key ["." index] "=" value, then the terminator the
    // caller needs (";" from the views, none from the upload).
    static QByteArray gatewaySetting(const CSettingAddress& address, QByteArrayView value,
                                     QByteArrayView terminator);
    // "&" path "=?;": the gateway answers with that one setting's current value (no value of
    // a set may hold "?", so this text is never a set).
    static QByteArray gatewaySettingQuery(const CSettingAddress& address) {
        return "&" + address.text() + "=?;";
    }

    // "#UID=REGISTER;": every device of the bus announces itself.
    static QByteArray busRegister() { return "#UID=REGISTER;"; }
    // "#UID=n;" / "#uid=n;": the next device whose discover button is pressed takes UID n.
    static QByteArray busAssignNext(int uid) { return "#UID=" + QByteArray::number(uid) + ";"; }
    static QByteArray busAssignNextLower(int uid) {
        return "#uid=" + QByteArray::number(uid) + ";";
    }
    // "#SNs.UID=n;": the device with serial number s takes UID n.
    static QByteArray busAssignSerial(unsigned int serial, int uid);
    // "#UIDn=?;": the device answers with all its settings.
    static QByteArray busDeviceQuery(quint32 uid) {
        return "#UID" + QByteArray::number(uid) + "=?;";
    }
    static QByteArray busDeviceQueryLower(int uid) {
        return "#uid" + QByteArray::number(uid) + "=?;";
    }
    // "#UIDn." [port "."] [group "."] key ["." index] "=" value, then the terminator the
    // caller needs: ";" from the bus view, which puts the dot before the port and the
    // section ("#UIDn" [".A"] [".LED"] ".key" ...), none from the upload, which puts it
    // after them ("#UIDn." ["A."] ["LED."] "key" ...). Both come to the same path.
    static QByteArray busDeviceSetting(quint32 uid, const CSettingAddress& address,
                                       QByteArrayView value, QByteArrayView terminator);
    // "#UIDn." path "=?;": the device answers with that one setting's current value, and
    // with nothing when it has no such setting.
    static QByteArray busDeviceSettingQuery(quint32 uid, const CSettingAddress& address) {
        return "#UID" + QByteArray::number(uid) + "." + address.text() + "=?;";
    }
    // Numbers are unsigned everywhere on the bus: a serial number above 2^31 stays itself.
    static QByteArray busIdentifyUid(quint32 uid) {
        return "#UID" + QByteArray::number(uid) + "=IDENTIFY;";
    }
    static QByteArray busIdentifySerial(quint32 serial) {
        return "#SN" + QByteArray::number(serial) + "=IDENTIFY;";
    }
    // "#UIDn.LED.PRESET.p=value", one line of a preset file.
    static QByteArray ledPreset(quint32 uid, int preset, QByteArrayView value);
};
