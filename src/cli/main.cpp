#include "CCliOptions.h"
#include "CCliSession.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vorel-cli"));
    const CCliOptions options = CCliOptions::parse(QCoreApplication::arguments());
    QTextStream out(stdout);
    if (options.command == CCliOptions::Command::Help) {
        out << CCliOptions::helpText();
        return CCliOptions::kExitOk;
    }
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "vorel-cli: %s\nTry 'vorel-cli --help'.\n", qPrintable(options.error));
        return CCliOptions::kExitUsage;
    }
    CCliSession session(options, out);
    const int code = session.run();
    out.flush();
    return code;
}
