#include "cli/CCliCommandLine.h"
#include "cli/CCliExit.h"
#include "cli/CCliSession.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>
#include <memory>

namespace {

// The arguments as QCoreApplication::arguments() gives them, read before there is one:
// which application to make depends on the command.
QStringList argumentsOf(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

// A command that writes a PDF needs Qt Gui, and Qt Gui a platform: the offscreen one,
// so that vorel-cli never needs (or reaches for) a display.
std::unique_ptr<QCoreApplication> makeApplication(int& argc, char* argv[], bool gui) {
    if (gui) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QGuiApplication>(argc, argv);
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

}  // namespace

int main(int argc, char* argv[]) {
    const CCliCommandLine line = CCliCommandLine::parse(argumentsOf(argc, argv));
    const bool gui =
        line.outcome == CCliCommandLine::Outcome::Run && line.command->needsGuiApplication();
    const std::unique_ptr<QCoreApplication> app = makeApplication(argc, argv, gui);
    QCoreApplication::setApplicationName(QStringLiteral("vorel-cli"));
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
