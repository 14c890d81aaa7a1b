#include "CCliOptions.h"

#include <QMap>
#include <optional>

namespace {

const QMap<QString, CCliOptions::Command>& commands() {
    static const QMap<QString, CCliOptions::Command> kCommands{
        {QStringLiteral("adapters"), CCliOptions::Command::Adapters},
        {QStringLiteral("discover"), CCliOptions::Command::Discover},
        {QStringLiteral("query"), CCliOptions::Command::Query},
        {QStringLiteral("send"), CCliOptions::Command::Send},
        {QStringLiteral("monitor"), CCliOptions::Command::Monitor},
        {QStringLiteral("collect"), CCliOptions::Command::Collect},
        {QStringLiteral("help"), CCliOptions::Command::Help},
    };
    return kCommands;
}

std::optional<int> number(const QString& text, int minimum, int maximum) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < minimum || value > maximum) {
        return std::nullopt;
    }
    return value;
}

// Takes the value of an option; false (with the error set) when there is none or it is
// not a number in range.
bool takeNumber(const QStringList& arguments, int& index, int minimum, int maximum, int& into,
                QString& error) {
    const QString& option = arguments[index];
    if (index + 1 >= arguments.size()) {
        error = QStringLiteral("%1 needs a value").arg(option);
        return false;
    }
    const std::optional<int> value = number(arguments[++index], minimum, maximum);
    if (!value) {
        error = QStringLiteral("%1 takes a whole number from %2 to %3")
                    .arg(option)
                    .arg(minimum)
                    .arg(maximum);
        return false;
    }
    into = *value;
    return true;
}

bool takeText(const QStringList& arguments, int& index, QString& into, QString& error) {
    if (index + 1 >= arguments.size()) {
        error = QStringLiteral("%1 needs a value").arg(arguments[index]);
        return false;
    }
    into = arguments[++index];
    return true;
}

}  // namespace

CCliOptions CCliOptions::parse(const QStringList& arguments) {
    CCliOptions options;
    QStringList positional;
    QString& error = options.error;
    for (int i = 1; i < arguments.size() && error.isEmpty(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            options.command = Command::Help;
            return options;
        }
        if (argument == QLatin1String("--send-port")) {
            takeNumber(arguments, i, 1, 65535, options.sendPort, error);
        } else if (argument == QLatin1String("--recv-port")) {
            takeNumber(arguments, i, 1, 65535, options.receivePort, error);
        } else if (argument == QLatin1String("--wait-ms")) {
            takeNumber(arguments, i, 0, 600000, options.waitMs, error);
        } else if (argument == QLatin1String("--quiet-ms")) {
            takeNumber(arguments, i, 10, 600000, options.quietMs, error);
        } else if (argument == QLatin1String("--pace-ms")) {
            takeNumber(arguments, i, 0, 10000, options.paceMs, error);
        } else if (argument == QLatin1String("--duration")) {
            takeNumber(arguments, i, 0, 86400 * 365, options.durationSeconds, error);
        } else if (argument == QLatin1String("--adapter")) {
            takeText(arguments, i, options.adapter, error);
        } else if (argument == QLatin1String("--to")) {
            takeText(arguments, i, options.destination, error);
        } else if (argument == QLatin1String("--map")) {
            takeText(arguments, i, options.mapFile, error);
        } else if (argument == QLatin1String("--loopback")) {
            options.loopback = true;
        } else if (argument == QLatin1String("--tcp")) {
            options.tcp = true;
        } else if (argument == QLatin1String("--cr")) {
            options.appendCr = true;
        } else if (argument == QLatin1String("--no-time")) {
            options.showTime = false;
        } else if (argument == QLatin1String("--no-sender")) {
            options.showSender = false;
        } else if (argument.startsWith(QLatin1String("--")) && argument.size() > 2) {
            error = QStringLiteral("unknown option %1").arg(argument);
        } else {
            positional << argument;
        }
    }
    if (!error.isEmpty()) {
        return options;
    }
    if (positional.isEmpty()) {
        error = QStringLiteral("no command given");
        return options;
    }
    const auto found = commands().find(positional.takeFirst());
    if (found == commands().end()) {
        error = QStringLiteral("unknown command");
        return options;
    }
    options.command = found.value();
    const bool needsTarget = options.command == Command::Query || options.command == Command::Send;
    if (needsTarget) {
        if (positional.size() != 1) {
            error = options.command == Command::Query
                        ? QStringLiteral("query takes one gateway address")
                        : QStringLiteral("send takes one command text");
            return options;
        }
        options.target = positional.takeFirst();
    } else if (!positional.isEmpty()) {
        error = QStringLiteral("unexpected argument %1").arg(positional.front());
        return options;
    }
    if (options.command == Command::Collect && options.mapFile.isEmpty()) {
        error = QStringLiteral("collect needs --map FILE");
    }
    return options;
}

QString CCliOptions::helpText() {
    return QStringLiteral(
        "Usage: vorel-cli COMMAND [OPTIONS]\n"
        "\n"
        "Talks to Ubrix gateways and the devices on their bus, for scripts and on site.\n"
        "\n"
        "Commands:\n"
        "  adapters              list the network adapters that can be used\n"
        "  discover              broadcast \"&NAME=?;\" and list the gateways that answer\n"
        "  query IP              print every setting of one gateway\n"
        "  send TEXT [--to IP]   send a command text (broadcast without --to) and print replies\n"
        "  monitor               print the traffic as it comes in\n"
        "  collect --map FILE    find every gateway and bus device, read all their settings\n"
        "                        and save them as a map file\n"
        "\n"
        "Options:\n"
        "  --adapter A           adapter by name, number (from 'adapters') or address\n"
        "  --loopback            use this machine's loopback (a simulated site)\n"
        "  --send-port N         the gateways' command port (5000)\n"
        "  --recv-port N         the port replies come back to (4000)\n"
        "  --tcp                 send to a gateway over one TCP connection (port 23)\n"
        "  --cr                  send: end the text with CR, as the program's Send does\n"
        "  --no-time             monitor: leave out the time of reception\n"
        "  --no-sender           monitor: leave out the sender's address\n"
        "  --duration S          monitor: stop after S seconds (0: until interrupted)\n"
        "  --wait-ms N           longest wait for replies after a command (2000)\n"
        "  --quiet-ms N          silence that ends a wait early (400)\n"
        "  --pace-ms N           pause between commands sent in a row (20)\n"
        "  -h, --help            this text\n"
        "\n"
        "Exit codes: 0 done, 2 wrong command line, 3 nothing answered,\n"
        "            4 network failure, 5 file not written.\n");
}
