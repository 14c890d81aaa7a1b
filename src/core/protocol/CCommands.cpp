#include "CCommands.h"

QByteArray CCommands::gatewaySetting(QByteArrayView port, QByteArrayView group, QByteArrayView key,
                                     QByteArrayView index, QByteArrayView value,
                                     QByteArrayView terminator) {
    QByteArray text("&");
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

QByteArray CCommands::busAssignSerial(unsigned int serial, int uid) {
    return "#SN" + QByteArray::number(serial) + ".UID=" + QByteArray::number(uid) + ";";
}

QByteArray CCommands::ledPreset(int uid, int preset, QByteArrayView value) {
    return "#UID" + QByteArray::number(uid) + ".LED.PRESET." + QByteArray::number(preset) + "=" +
           value.toByteArray();
}
