#include "app/CDemoSite.h"
#include "core/common/Version.h"
#include "core/settings/CSettings.h"
#include "gui/shell/CUbrixVorelApp.h"
#include "sim/CSimNetwork.h"

#include <QApplication>
#include <QCommandLineParser>
#include <string_view>

namespace {

void nameTheProgram() {
    QCoreApplication::setOrganizationName(QLatin1String(CSettings::kOrganisation));
    QCoreApplication::setApplicationName(QLatin1String(CSettings::kApplication));
    QCoreApplication::setApplicationVersion(QLatin1String(vorel::version::kText));
}

// --help and --version print and stop. They need no window, so they are answered without
// one: in a terminal with no display, and in the build, which makes the manual page.
bool asksForTextOnly(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        for (const std::string_view option :
             {"-h", "-?", "--help", "--help-all", "-v", "--version"}) {
            if (argument == option) {
                return true;
            }
        }
    }
    return false;
}

CUbrixVorelApp::Options parseCommandLine(const QCoreApplication& application) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Set up and control Ubrix gateways and the devices on their KV bus."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral("Run with a simulated site on this machine's loopback; nothing is sent "
                       "through a real network interface."));
    const QCommandLineOption settings(QStringLiteral("settings"),
                                      QStringLiteral("Keep the settings in this INI file."),
                                      QStringLiteral("file"));
    parser.addOption(demo);
    parser.addOption(settings);
    parser.process(application);

    CUbrixVorelApp::Options options;
    options.demo = parser.isSet(demo);
    options.settingsPath = parser.value(settings);
    return options;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (asksForTextOnly(argc, argv)) {
        // Parsing prints and exits here, unless the word was an option's value after all
        // ("--settings --help"): then the program starts as usual.
        const QCoreApplication textOnly(argc, argv);
        nameTheProgram();
        parseCommandLine(textOnly);
    }
    QApplication application(argc, argv);
    nameTheProgram();
    // The desktop entry the package installs: the window's icon and name in the menu.
    QApplication::setDesktopFileName(QStringLiteral("ubrix-vorel"));

    const CUbrixVorelApp::Options options = parseCommandLine(application);
    CUbrixVorelApp program(options);
    if (!program.InitInstance()) {
        program.ExitInstance();
        return 1;
    }
    // Shared with the LAN view's scanner, which may still ask it until the window goes.
    std::shared_ptr<CSimNetwork> demoSite;
    if (options.demo) {
        demoSite = CDemoSite::open(program);
    }
    QApplication::exec();
    demoSite.reset();
    return program.ExitInstance();
}
