#include "core/bus/CPresetFile.h"

#include "core/protocol/CCommands.h"
#include "core/protocol/CValueValidator.h"

#include <QFile>

namespace {

// No preset file comes near this; the lines that matter are at its start.
constexpr qint64 kMaxFileBytes = 1 << 20;

// The first count lines of text, without their ends (CR LF, LF or a lone CR).
QList<QByteArray> firstLines(QByteArrayView text, int count) {
    QList<QByteArray> lines;
    qsizetype start = 0;
    qsizetype at = 0;
    while (at < text.size() && lines.size() < count) {
        const char c = text[at];
        if (c == '\r' || c == '\n') {
            lines.append(text.sliced(start, at - start).toByteArray());
            at += c == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
            start = at;
        } else {
            ++at;
        }
    }
    if (start < text.size() && lines.size() < count) {
        lines.append(text.sliced(start).toByteArray());
    }
    return lines;
}

}  // namespace

CPresetFile::Contents CPresetFile::read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {{}, QString::fromLatin1(kCannotOpen).arg(file.errorString())};
    }
    const QByteArray text = file.read(kMaxFileBytes);
    if (file.error() != QFileDevice::NoError) {
        return {{}, QString::fromLatin1(kCannotOpen).arg(file.errorString())};
    }
    return parse(text);
}

CPresetFile::Contents CPresetFile::parse(QByteArrayView text) {
    Contents contents;
    int number = 0;
    for (QByteArray line : firstLines(text, kPresetCount)) {
        ++number;
        // Files written as commands end their lines in the command's ";": the command that
        // goes out is the same. A ";" anywhere else would end it early, and is refused.
        if (line.endsWith(';')) {
            line.chop(1);
        }
        line.replace(',', '.');
        QString refusal;
        if (line.size() > kMaxLineBytes) {
            refusal = QStringLiteral(
                          "Line %1 of the preset file is longer than %2 characters; "
                          "nothing was sent.")
                          .arg(number)
                          .arg(kMaxLineBytes);
        } else if (const CValueValidator::Result checked =
                       CValueValidator::check(QString::fromLatin1(line));
                   !checked.accepted()) {
            refusal = QStringLiteral("Line %1 of the preset file: %2 Nothing was sent.")
                          .arg(number)
                          .arg(checked.refusal);
        } else {
            contents.presets.append(checked.wire);
        }
        if (!refusal.isEmpty()) {
            return {{}, refusal};
        }
    }
    return contents;
}

CSequenceRun::StepSource CPresetFile::steps(const QList<QByteArray>& presets, quint32 uid,
                                            quint32 gateway, const Send& send) {
    std::vector<CPacedStep> steps;
    int preset = kFirstPreset;
    for (const QByteArray& value : presets) {
        const QByteArray text = CCommands::ledPreset(uid, preset++, value);
        steps.push_back(
            {[send, text, gateway](CSequenceRun&) { return send(text, gateway); }, kPause, {}});
    }
    return CSequenceRun::fromList(std::move(steps));
}
