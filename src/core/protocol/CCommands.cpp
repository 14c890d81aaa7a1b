#include "CCommands.h"

namespace {
// [port "."] [group "."] key ["." index] "=" value terminator, after what text holds.
QByteArray withSettingPath(QByteArray text, QByteArrayView port, QByteArrayView group,
                           QByteArrayView key, QByteArrayView index, QByteArrayView value,
                           QByteArrayView terminator) {
    if (!port.isEmpty()) {
        text.append(port).append('.');
    }
    if (!group.isEmpty()) {
        text.append(group).append('.');
    }
    text.append(key);
    if (!index.isEmpty()) {
        text.append('.').append(index);
    }
    return text.append('=').append(value).append(terminator);
}
}  // namespace

QByteArray CCommands::gatewaySetting(QByteArrayView port, QByteArrayView group, QByteArrayView key,
                                     QByteArrayView index, QByteArrayView value,
                                     QByteArrayView terminator) {
    return withSettingPath("&", port, group, key, index, value, terminator);
}

QByteArray CCommands::busDeviceSetting(quint32 uid, QByteArrayView port, QByteArrayView group,
                                       QByteArrayView key, QByteArrayView index,
                                       QByteArrayView value, QByteArrayView terminator) {
    return withSettingPath("#UID" + QByteArray::number(uid) + ".", port, group, key, index, value,
                           terminator);
}

QByteArray CCommands::busAssignSerial(unsigned int serial, int uid) {
    return "#SN" + QByteArray::number(serial) + ".UID=" + QByteArray::number(uid) + ";";
}

QByteArray CCommands::ledPreset(quint32 uid, int preset, QByteArrayView value) {
    return "#UID" + QByteArray::number(uid) + ".LED.PRESET." + QByteArray::number(preset) + "=" +
           value.toByteArray();
}
