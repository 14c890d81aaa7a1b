#pragma once

#include "core/upload/CUploadDevice.h"

#include <QCommandLineOption>
#include <QList>
#include <QString>

class QCommandLineParser;

// The options upload and diff share: the project file and which of its halves to take.
struct CCliProjectOptions {
    QString project;
    QList<CUploadDevice::Kind> kinds;  // gateways first when both

    static QCommandLineOption projectOption();
    static QCommandLineOption gatewaysOption();
    static QCommandLineOption devicesOption();
    // Reads them; returns why they are wrong, or nothing. Neither --gateways nor --devices:
    // both.
    QString read(const QCommandLineParser& parser, const QString& command);

    static const char* kindName(CUploadDevice::Kind kind) {
        return kind == CUploadDevice::Kind::Gateway ? "gateways" : "devices";
    }
};
