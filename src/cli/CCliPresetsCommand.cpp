#include "cli/CCliPresetsCommand.h"

#include "cli/CCliExit.h"
#include "cli/CCliNumberOption.h"
#include "cli/CCliSession.h"

#include "core/bus/CPresetFile.h"
#include "core/protocol/CCommands.h"
#include "core/protocol/CTrafficLineParts.h"
#include "core/transport/CIpv4Address.h"

#include <QCommandLineParser>
#include <QSet>

namespace {
const QString kUid = QStringLiteral("uid");
const QString kVia = QStringLiteral("via");
}  // namespace

QString CCliPresetsCommand::name() const {
    return QStringLiteral("presets");
}

QString CCliPresetsCommand::arguments() const {
    return QStringLiteral("FILE.cms");
}

QString CCliPresetsCommand::summary() const {
    return QStringLiteral("send an LED preset file to an LED controller");
}

QString CCliPresetsCommand::description() const {
    return QStringLiteral(
        "Reads FILE.cms whole and checks every line first (line n is preset 99 + n, for\n"
        "the first 20 lines; commas become points; a line end may be CR LF, LF or CR).\n"
        "Then sends \"#UID<N>.LED.PRESET.p=line\" for each, 50 ms apart, to the gateway given\n"
        "by --via, and waits for the device to echo them. Exits 0 when every preset was\n"
        "echoed, 6 when some were not (named on stderr), 8 when the file cannot be read\n"
        "or has a line that may not be sent (nothing is sent then).");
}

QList<QCommandLineOption> CCliPresetsCommand::options() const {
    return {
        QCommandLineOption(kUid, QStringLiteral("the LED controller's UID"), QStringLiteral("N")),
        QCommandLineOption(kVia, QStringLiteral("the gateway of its bus"), QStringLiteral("IP"))};
}

QString CCliPresetsCommand::configure(const QCommandLineParser& parser,
                                      const QStringList& arguments) {
    if (arguments.size() != 1) {
        return QStringLiteral("presets takes one preset file");
    }
    if (!parser.isSet(kUid) || !parser.isSet(kVia)) {
        return QStringLiteral("presets needs --uid N and --via IP");
    }
    m_file = arguments.front();
    m_via = parser.value(kVia);
    return CCliNumberOption{kUid, 1, 999999, m_uid}.read(parser);
}

int CCliPresetsCommand::run(CCliSession& session) {
    const std::optional<quint32> address = session.address(m_via);
    if (!address) {
        return CCliExit::kUsage;
    }
    const CPresetFile::Contents contents = CPresetFile::read(m_file);
    if (!contents.ok()) {
        session.report(contents.error);
        return CCliExit::kRefused;
    }
    if (const int failed = session.start(); failed != CCliExit::kOk) {
        return failed;
    }
    // The echo of each preset: " !UIDn.LED.PRESET.p=value;" from the gateway.
    QSet<QByteArray> waiting;
    for (qsizetype preset = 0; preset < contents.presets.size(); ++preset) {
        waiting.insert(CCommands::ledPreset(static_cast<quint32>(m_uid),
                                            CPresetFile::kFirstPreset + static_cast<int>(preset),
                                            contents.presets[preset])
                           .mid(1));
    }
    const QByteArray from = CIpv4Address::toDotted(*address);
    session.onTrafficLine([&](const QByteArray& line) {
        const CTrafficLineParts parts = CTrafficLineParts::of(line);
        QByteArrayView text = parts.text.trimmed();
        if (parts.sender == from && text.startsWith('!') && text.endsWith(';')) {
            waiting.remove(text.sliced(1).chopped(1).toByteArray());
        }
    });
    const CSequenceRun::Outcome outcome = session.runSequence(
        QString::fromLatin1(CPresetFile::kRunName),
        CPresetFile::steps(contents.presets, static_cast<quint32>(m_uid), *address,
                           [&session](QByteArrayView text, quint32 to) {
                               return session.send(text.toByteArray(), to);
                           }),
        CPacing::Fixed);
    if (outcome == CSequenceRun::Outcome::Failed) {
        return CCliExit::kNetwork;
    }
    session.waitUntil([&waiting] { return waiting.isEmpty(); },
                      std::chrono::milliseconds(session.options().waitMs));
    if (CCliSession::interrupted()) {
        return CCliExit::kInterrupted;
    }
    for (const QByteArray& missing : std::as_const(waiting)) {
        session.report(
            QStringLiteral("UID %1 did not echo %2").arg(m_uid).arg(QString::fromLatin1(missing)));
    }
    return waiting.isEmpty() ? CCliExit::kOk : CCliExit::kIncomplete;
}
