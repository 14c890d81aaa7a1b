#include "cli/CCliCommandLine.h"

#include "cli/CCliCommandTable.h"
#include "cli/CCliExit.h"

#include "core/common/Version.h"

#include <QCommandLineParser>
#include <QSet>

namespace {

const QString kHelpName = QStringLiteral("help");
const QString kVersionName = QStringLiteral("version");

QCommandLineOption helpOption() {
    return QCommandLineOption({QStringLiteral("h"), kHelpName}, QStringLiteral("this text"));
}

QCommandLineOption versionOption() {
    return QCommandLineOption(kVersionName, QStringLiteral("print the version and stop"));
}

// One row of a help table: the term, then its text from column 26; a term too wide for
// the column puts its text on the next line, so a reader (or help2man) still sees two
// columns.
QString tableRow(const QString& term, const QString& text) {
    constexpr int kTermWidth = 24;
    const QString gap = term.size() < kTermWidth
                            ? QString(kTermWidth + 1 - term.size(), QLatin1Char(' '))
                            : QLatin1Char('\n') + QString(kTermWidth + 1, QLatin1Char(' '));
    return term + gap + text + QLatin1Char('\n');
}

QString optionLines(const QList<QCommandLineOption>& options) {
    QString text;
    for (const QCommandLineOption& option : options) {
        QStringList names;
        for (const QString& name : option.names()) {
            names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
        }
        QString left = QStringLiteral("  ") + names.join(QStringLiteral(", "));
        if (!option.valueName().isEmpty()) {
            left += QLatin1Char(' ') + option.valueName();
        }
        text += tableRow(left, option.description());
    }
    return text;
}

QString usage(const CCliCommand& command) {
    QString line = QStringLiteral("vorel-cli ") + command.name();
    if (!command.arguments().isEmpty()) {
        line += QLatin1Char(' ') + command.arguments();
    }
    return line;
}

CCliCommandLine refused(const QString& reason) {
    CCliCommandLine line;
    line.outcome = CCliCommandLine::Outcome::Refuse;
    line.text = reason;
    return line;
}

CCliCommandLine printed(const QString& text) {
    CCliCommandLine line;
    line.outcome = CCliCommandLine::Outcome::Print;
    line.text = text;
    return line;
}

// Every option any command knows, once each, so that one parse finds the command word
// wherever the options stand.
void addAllOptions(QCommandLineParser& parser,
                   const std::vector<std::unique_ptr<CCliCommand>>& commands) {
    parser.addOption(helpOption());
    parser.addOption(versionOption());
    parser.addOptions(CCliOptions::common());
    QSet<QString> known;
    for (const std::unique_ptr<CCliCommand>& command : commands) {
        for (const QCommandLineOption& option : command->options()) {
            if (!known.contains(option.names().front())) {
                known.insert(option.names().front());
                parser.addOption(option);
            }
        }
    }
}

// The first option given that is neither common nor the command's own.
QString foreignOption(const QCommandLineParser& parser, const CCliCommand& command) {
    QSet<QString> allowed{QStringLiteral("h"), kHelpName, kVersionName};
    const QList<QCommandLineOption> own = CCliOptions::common() + command.options();
    for (const QCommandLineOption& option : own) {
        for (const QString& name : option.names()) {
            allowed.insert(name);
        }
    }
    for (const QString& name : parser.optionNames()) {
        if (!allowed.contains(name)) {
            return name;
        }
    }
    return {};
}

}  // namespace

CCliCommandLine CCliCommandLine::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    addAllOptions(parser, CCliCommandTable::commands());
    if (!parser.parse(arguments)) {
        return refused(parser.errorText());
    }
    QStringList positional = parser.positionalArguments();
    const bool helpAsked =
        parser.isSet(kHelpName) || (!positional.isEmpty() && positional.front() == kHelpName);
    if (!positional.isEmpty() && positional.front() == kHelpName) {
        positional.removeFirst();
    }
    if (parser.isSet(kVersionName)) {
        return printed(versionText());
    }
    if (positional.isEmpty()) {
        return helpAsked ? printed(helpText()) : refused(QStringLiteral("no command given"));
    }
    const QString word = positional.takeFirst();
    CCliCommandLine line;
    line.command = CCliCommandTable::find(word);
    if (helpAsked) {
        return printed(line.command ? helpText(*line.command) : helpText());
    }
    if (!line.command) {
        return refused(QStringLiteral("unknown command '%1'").arg(word));
    }
    const QString foreign = foreignOption(parser, *line.command);
    if (!foreign.isEmpty()) {
        return refused(
            QStringLiteral("option '--%1' does not go with %2").arg(foreign, line.command->name()));
    }
    QString reason = line.options.read(parser);
    if (reason.isEmpty()) {
        reason = line.command->configure(parser, positional);
    }
    if (!reason.isEmpty()) {
        return refused(reason);
    }
    line.outcome = Outcome::Run;
    return line;
}

QString CCliCommandLine::helpText() {
    QString commands;
    for (const std::unique_ptr<CCliCommand>& command : CCliCommandTable::commands()) {
        QString left = QStringLiteral("  ") + command->name();
        if (!command->arguments().isEmpty()) {
            left += QLatin1Char(' ') + command->arguments();
        }
        commands += tableRow(left, command->summary());
    }
    return QStringLiteral(
               "Usage: vorel-cli COMMAND [OPTIONS]\n"
               "\n"
               "Talks to Ubrix gateways and the devices on their bus, for scripts "
               "and on site.\n"
               "\n"
               "Commands:\n") +
           commands +
           QStringLiteral(
               "\n'vorel-cli COMMAND --help' tells what a command does and lists "
               "its own options.\n\nOptions of every command:\n") +
           optionLines(CCliOptions::common() + QList{helpOption(), versionOption()}) +
           QLatin1Char('\n') + QLatin1String(CCliExit::kHelp);
}

QString CCliCommandLine::helpText(const CCliCommand& command) {
    QString text = QStringLiteral("Usage: ") + usage(command) + QStringLiteral(" [OPTIONS]\n\n") +
                   command.description() + QLatin1Char('\n');
    if (!command.options().isEmpty()) {
        text += QStringLiteral("\nOptions of %1:\n").arg(command.name()) +
                optionLines(command.options());
    }
    return text + QStringLiteral("\nOptions of every command:\n") +
           optionLines(CCliOptions::common()) + QLatin1Char('\n') + QLatin1String(CCliExit::kHelp);
}

QString CCliCommandLine::versionText() {
    return QStringLiteral("vorel-cli %1\n").arg(QLatin1String(vorel::version::kText));
}
