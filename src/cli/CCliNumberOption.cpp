#include "cli/CCliNumberOption.h"

#include <QCommandLineParser>

QString CCliNumberOption::read(const QCommandLineParser& parser) const {
    const QString text = parser.value(name);
    if (text.isEmpty() && !parser.isSet(name)) {
        return {};
    }
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < minimum || value > maximum) {
        return QStringLiteral("--%1 takes a whole number from %2 to %3")
            .arg(name)
            .arg(minimum)
            .arg(maximum);
    }
    into = value;
    return {};
}
