#pragma once

#include "core/bus/CBusAction.h"
#include "core/bus/CBusTarget.h"
#include "core/bus/CPresetFile.h"
#include "core/sequence/CSequenceRun.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <pugixml.hpp>

class CSequencer;
class CSettings;
class CTransport;
class CUbrixVorelDoc;

// The bus view's actions that run on the program's sequencer, so that they outlive a switch
// to another view: Collect (CBusCollection) and Upload CMS File (CPresetFile). What they
// send, how they are paced and what the user is told as they start and end.
class CBusRuns {
public:
    // Collects every gateway and bus device, with the pacing, retries and concurrency of the
    // settings.
    static CSequenceRun* startCollection(CSequencer& sequencer, const CUbrixVorelDoc& doc,
                                         CTransport& transport, const CSettings& settings);
    // The status line at the end of a collection: how it ended, and what it asked again.
    static QString collectionEnded(CSequenceRun::Outcome outcome, bool incomplete, int repeats);

    // The presets read from the file at path (empty: none was chosen) for the target's LED
    // (CBusActions::presets): refused when nothing is to be sent.
    static CBusAction presetUpload(const pugi::xml_document& plan, const CBusTarget& target,
                                   const QString& path, const CPresetFile::Contents& contents);
    // What a preset upload tells at its end: its status line, and whether every preset left.
    using PresetsEnded = std::function<void(const QString& said, bool complete)>;
    // Sends the presets to the target's device (named to), kPause apart; ended is told at the
    // end, at once for a file without presets, even when the view that started it is gone.
    static void startPresets(CSequencer& sequencer, CTransport& transport, const CBusTarget& target,
                             const QList<QByteArray>& presets, const QString& to,
                             PresetsEnded ended);
    // The status line at the end of a preset upload.
    static QString presetsEnded(CSequenceRun::Outcome outcome, qsizetype presets,
                                const QString& to);
};
