#include "CCliCommandLine.h"
#include "CCliExit.h"
#include "CCliSession.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vorel-cli"));
    const CCliCommandLine line = CCliCommandLine::parse(QCoreApplication::arguments());
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly)) {
        return CCliExit::kFile;
    }
    switch (line.outcome) {
        case CCliCommandLine::Outcome::Print:
            out.write(line.text.toUtf8());
            return CCliExit::kOk;
        case CCliCommandLine::Outcome::Refuse:
            std::fprintf(stderr, "vorel-cli: %s\nTry 'vorel-cli --help'.\n", qPrintable(line.text));
            return CCliExit::kUsage;
        case CCliCommandLine::Outcome::Run:
            break;
    }
    CCliSession session(line.options, out);
    const int code = line.command->run(session);
    out.flush();
    return code;
}
