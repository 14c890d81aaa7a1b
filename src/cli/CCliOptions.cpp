#include "cli/CCliOptions.h"

#include "cli/CCliNumberOption.h"

#include <QCommandLineParser>

namespace {

QCommandLineOption valued(const QString& name, const QString& text, const QString& valueName,
                          const QString& defaultValue = {}) {
    return QCommandLineOption(name, text, valueName, defaultValue);
}

}  // namespace

QList<QCommandLineOption> CCliOptions::common() {
    return {
        valued(QStringLiteral("adapter"),
               QStringLiteral("adapter by name, number (from 'adapters') or address"),
               QStringLiteral("A")),
        QCommandLineOption(QStringLiteral("loopback"),
                           QStringLiteral("use this machine's loopback (a simulated site)")),
        valued(QStringLiteral("send-port"), QStringLiteral("the gateways' command port (5000)"),
               QStringLiteral("N"), QStringLiteral("5000")),
        valued(QStringLiteral("recv-port"), QStringLiteral("the port replies come back to (4000)"),
               QStringLiteral("N"), QStringLiteral("4000")),
        QCommandLineOption(QStringLiteral("tcp"),
                           QStringLiteral("send to a gateway over one kept TCP connection")),
        valued(QStringLiteral("tcp-port"), QStringLiteral("the gateways' TCP port (23)"),
               QStringLiteral("N"), QStringLiteral("23")),
        valued(QStringLiteral("wait-ms"),
               QStringLiteral("longest wait for replies after a command (2000)"),
               QStringLiteral("N"), QStringLiteral("2000")),
        valued(QStringLiteral("quiet-ms"), QStringLiteral("silence that ends a wait early (400)"),
               QStringLiteral("N"), QStringLiteral("400")),
        valued(QStringLiteral("pace-ms"),
               QStringLiteral("pause between commands sent in a row (20)"), QStringLiteral("N"),
               QStringLiteral("20")),
        valued(QStringLiteral("retries"),
               QStringLiteral("times a query or a set goes again when its answer is lost (2)"),
               QStringLiteral("N"), QString::number(CRetryRule::kDefaultRetries)),
    };
}

QString CCliOptions::read(const QCommandLineParser& parser) {
    adapter = parser.value(QStringLiteral("adapter"));
    loopback = parser.isSet(QStringLiteral("loopback"));
    tcp = parser.isSet(QStringLiteral("tcp"));
    const CCliNumberOption numbers[] = {
        {QStringLiteral("send-port"), 1, 65535, sendPort},
        {QStringLiteral("recv-port"), 1, 65535, receivePort},
        {QStringLiteral("tcp-port"), 1, 65535, tcpPort},
        {QStringLiteral("wait-ms"), 0, 600000, waitMs},
        {QStringLiteral("quiet-ms"), 10, 600000, quietMs},
        {QStringLiteral("pace-ms"), 0, 10000, paceMs},
        {QStringLiteral("retries"), 0, CRetryRule::kMostRetries, retries},
    };
    for (const CCliNumberOption& number : numbers) {
        const QString error = number.read(parser);
        if (!error.isEmpty()) {
            return error;
        }
    }
    return {};
}

QCommandLineOption CCliOptions::json() {
    return QCommandLineOption(
        QStringLiteral("json"),
        QStringLiteral("print JSON (a device's text: one character per byte)"));
}

QCommandLineOption CCliOptions::withSecrets() {
    return QCommandLineOption(
        QStringLiteral("with-secrets"),
        QStringLiteral("show the values of credentials (else \"(set)\" or \"(empty)\")"));
}

bool CCliOptions::readWithSecrets(const QCommandLineParser& parser) {
    return parser.isSet(withSecrets().names().front());
}

QCommandLineOption CCliOptions::pacing() {
    return QCommandLineOption(
        QStringLiteral("pacing"),
        QStringLiteral(
            "fixed pauses, or paced by replies (the default): same commands, same order"),
        QStringLiteral("fixed|replies"), QStringLiteral("replies"));
}

std::variant<CPacing, QString> CCliOptions::readPacing(const QCommandLineParser& parser) {
    const QString pacing = parser.value(CCliOptions::pacing().names().front());
    if (pacing == QLatin1String("fixed")) {
        return CPacing::Fixed;
    }
    if (pacing == QLatin1String("replies")) {
        return CPacing::ByReplies;
    }
    return QStringLiteral("--pacing is fixed or replies, not '%1'").arg(pacing);
}

QCommandLineOption CCliOptions::to() {
    return QCommandLineOption(QStringLiteral("to"),
                              QStringLiteral("the gateway to send to (default: broadcast)"),
                              QStringLiteral("IP"));
}

QCommandLineOption CCliOptions::noTime() {
    return QCommandLineOption(QStringLiteral("no-time"),
                              QStringLiteral("leave out the time of reception"));
}

QCommandLineOption CCliOptions::noSender() {
    return QCommandLineOption(QStringLiteral("no-sender"),
                              QStringLiteral("leave out the sender's address"));
}

QCommandLineOption CCliOptions::uid() {
    return QCommandLineOption(QStringLiteral("uid"),
                              QStringLiteral("the UID to give (1 to 999999)"), QStringLiteral("N"));
}

QCommandLineOption CCliOptions::serial() {
    return QCommandLineOption(QStringLiteral("serial"),
                              QStringLiteral("the device's serial number"), QStringLiteral("SN"));
}

QCommandLineOption CCliOptions::arm() {
    return QCommandLineOption(
        QStringLiteral("arm"),
        QStringLiteral("give the UID to the next device whose discover button is pressed"));
}

QCommandLineOption CCliOptions::via() {
    return QCommandLineOption(QStringLiteral("via"),
                              QStringLiteral("the gateway of the device's bus"),
                              QStringLiteral("IP"));
}
