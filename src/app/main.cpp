#include "Version.h"
#include "app/CUbrixVorelApp.h"
#include "settings/CSettings.h"

#include <QApplication>
#include <QCommandLineParser>

namespace {

CUbrixVorelApp::Options parseCommandLine(const QApplication& application) {
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
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QLatin1String(CSettings::kOrganisation));
    QApplication::setApplicationName(QLatin1String(CSettings::kApplication));
    QApplication::setApplicationVersion(QLatin1String(vorel::version::kText));

    CUbrixVorelApp program(parseCommandLine(application));
    if (!program.InitInstance()) {
        return program.ExitInstance() == 0 ? 1 : program.ExitInstance();
    }
    QApplication::exec();
    return program.ExitInstance();
}
