#pragma once

#include "core/sequence/CSequenceRun.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <chrono>
#include <functional>

// An LED controller's preset file (".cms"): line n holds preset 99 + n, for the first 20
// lines. The whole file is read and every line checked before anything is sent: a line
// ends at CR LF, LF or a lone CR, one ";" at its end is dropped, its commas become points,
// and it must pass the value check of every value that goes out. The presets then go out 50 ms
// apart.
class CPresetFile {
public:
    using Send = std::function<bool(QByteArrayView text, quint32 address)>;

    static constexpr const char* kRunName = "presets";
    static constexpr const char* kFilter = "CMS Files(*.cms)|*.cms";
    // "%1" is the system's reason.
    static constexpr const char* kCannotOpen = "Can't open file %1";
    static constexpr const char* kComplete = "CMS File upload complete";
    static constexpr int kFirstPreset = 100;
    static constexpr int kPresetCount = 20;
    // The longest value a device takes.
    static constexpr qsizetype kMaxLineBytes = 200;
    static constexpr std::chrono::milliseconds kPause{50};

    struct Contents {
        QList<QByteArray> presets;  // as they go out, first preset first
        QString error;              // why nothing may be sent; empty when all is well

        bool ok() const { return error.isEmpty(); }
    };

    static Contents read(const QString& path);
    // The checked presets of text, the file's bytes.
    static Contents parse(QByteArrayView text);
    // One step a preset: "#UIDn.LED.PRESET.p=value", then the pause.
    static CSequenceRun::StepSource steps(const QList<QByteArray>& presets, quint32 uid,
                                          quint32 gateway, const Send& send);
};
