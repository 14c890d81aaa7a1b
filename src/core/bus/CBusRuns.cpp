#include "core/bus/CBusRuns.h"

#include "core/bus/CBusActions.h"
#include "core/bus/CBusCollection.h"
#include "core/sequence/CSequencer.h"
#include "core/settings/CSettings.h"
#include "core/transport/CTransport.h"

namespace {

const QString kUploadCmsFile = QStringLiteral("Upload CMS File");

QString runName(const char* name) {
    return QString::fromLatin1(name);
}

}  // namespace

CSequenceRun* CBusRuns::startCollection(CSequencer& sequencer, const CUbrixVorelDoc& doc,
                                        CTransport& transport, const CSettings& settings) {
    CBusCollection::Options options;
    options.concurrent = settings.collectConcurrent != 0;
    options.retries = settings.retries;
    return sequencer.start(runName(CBusCollection::kRunName),
                           CBusCollection::lanes(
                               doc,
                               [&transport](QByteArrayView text, quint32 address) {
                                   return transport.SendText(text, address);
                               },
                               options),
                           CBusCollection::pacingOf(settings.collectPacing));
}

QString CBusRuns::collectionEnded(CSequenceRun::Outcome outcome, bool incomplete, int repeats) {
    switch (outcome) {
        case CSequenceRun::Outcome::Stopped:
            return QStringLiteral("Collect: stopped; what came before is in the plan.");
        case CSequenceRun::Outcome::Failed:
            return QStringLiteral("Collect: ended early, a query could not be sent.");
        case CSequenceRun::Outcome::Completed:
            break;
    }
    const QString again =
        repeats > 0 ? QStringLiteral(" (%1 query(s) asked again)").arg(repeats) : QString();
    return incomplete ? QStringLiteral(
                            "Collect: done, but some reports are incomplete%1: see "
                            "the message.")
                            .arg(again)
                      : QStringLiteral("Collect: done, every report is complete%1.").arg(again);
}

CBusAction CBusRuns::presetUpload(const pugi::xml_document& plan, const CBusTarget& target,
                                  const QString& path, const CPresetFile::Contents& contents) {
    CBusAction action;
    action.name = kUploadCmsFile;
    if (path.isEmpty() || !contents.ok()) {
        action.refused = true;
        action.said =
            QStringLiteral("%1: nothing sent, %2")
                .arg(kUploadCmsFile, path.isEmpty() ? QStringLiteral("no file was chosen.")
                                                    : QStringLiteral("the file was refused."));
        action.message = path.isEmpty() ? QString() : contents.error;
        return action;
    }
    action.to = CBusActions::deviceName(plan, target);
    action.said = QStringLiteral("%1: sending %2 preset(s) to %3.")
                      .arg(kUploadCmsFile)
                      .arg(contents.presets.size())
                      .arg(action.to);
    return action;
}

void CBusRuns::startPresets(CSequencer& sequencer, CTransport& transport, const CBusTarget& target,
                            const QList<QByteArray>& presets, const QString& to,
                            PresetsEnded ended) {
    CSequenceRun* run =
        sequencer.start(runName(CPresetFile::kRunName),
                        CPresetFile::steps(presets, target.deviceNumber, target.gatewayAddress,
                                           [&transport](QByteArrayView text, quint32 address) {
                                               return transport.SendText(text, address);
                                           }),
                        CPacing::Fixed);
    const auto tell = [ended = std::move(ended), count = presets.size(),
                       to](CSequenceRun::Outcome outcome) {
        ended(presetsEnded(outcome, count, to), outcome == CSequenceRun::Outcome::Completed);
    };
    if (run->outcome()) {
        tell(*run->outcome());
    } else {
        QObject::connect(run, &CSequenceRun::finished, &sequencer, tell);
    }
}

QString CBusRuns::presetsEnded(CSequenceRun::Outcome outcome, qsizetype presets,
                               const QString& to) {
    switch (outcome) {
        case CSequenceRun::Outcome::Completed:
            return QStringLiteral("Upload CMS File: %1 preset(s) sent to %2.").arg(presets).arg(to);
        case CSequenceRun::Outcome::Stopped:
            return QStringLiteral("Upload CMS File: stopped before every preset was sent to %1.")
                .arg(to);
        case CSequenceRun::Outcome::Failed:
            break;
    }
    return QStringLiteral("Upload CMS File: a preset could not be sent to %1.").arg(to);
}
