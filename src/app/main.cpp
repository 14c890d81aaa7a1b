#include "CSimLanScanner.h"
#include "CSimNetwork.h"
#include "Version.h"
#include "app/CMainFrame.h"
#include "app/CUbrixVorelApp.h"
#include "app/CViewContext.h"
#include "app/CViewState.h"
#include "app/CommandIds.h"
#include "common/IUserNotifier.h"
#include "document/CUbrixVorelDoc.h"
#include "lan/CLanScanner.h"
#include "plan/CModelTemplateFolder.h"
#include "protocol/CCommands.h"
#include "sequence/CBroadcastQuery.h"
#include "settings/CSettings.h"
#include "transport/CTransport.h"
#include "views/CUbrixVorelNet.h"
#include "views/CUbrixVorelUbrix.h"

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

// The demonstration's site: gateways with a few bus devices each on 127.0.0.2 and up,
// answering on the program's ports and to loopback askers only. Its models are the
// templates shipped with the program. Five devices a bus put the lights of the first
// gateway at 2.1.1 and up and a motor controller at 1.1.1 and 1.1.2, where the virtual
// keypads start.
constexpr int kGateways = 3;
constexpr int kDevicesPerGateway = 5;

std::shared_ptr<CSimNetwork> startDemoSite(CUbrixVorelApp& program) {
    // One device of every bus waits for its UID, for the bus view's addressing.
    constexpr int kUnaddressedPerGateway = 1;
    CSimNetwork::Options options;
    options.sendPort = program.transport().sendPort();
    options.replyPort = program.transport().receivePort();
    QString error;
    auto site =
        CSimNetwork::startDemo(kGateways, kDevicesPerGateway,
                               CModelTemplateFolder::find(QCoreApplication::applicationDirPath()),
                               error, options, kUnaddressedPerGateway);
    if (!site) {
        program.notifier().showMessage(
            QStringLiteral("The demonstration site could not start:\n%1").arg(error));
    }
    return site;
}

// The demonstration's LAN view lists the simulated gateways: the same view and scanner,
// asking the site who is there instead of the kernel's neighbour table.
void showDemoSiteInTheLanView(CUbrixVorelApp& program, const std::shared_ptr<CSimNetwork>& site) {
    program.mainFrame()->registerView(
        vorel::cmd::kViewNetwork, [site](const CViewContext& context, QWidget* parent) {
            return CUbrixVorelNet::create(CSimLanScanner::create(site), context.transport, parent);
        });
}

// The demonstration's first minute: the site is found at once, as Refresh in the gateway
// view finds it, and the status bar says what there is and where to look.
void discoverDemoSite(CUbrixVorelApp& program) {
    IUserNotifier& notifier = program.notifier();
    CBroadcastQuery::start(
        program.sequencer(), QString::fromLatin1(CUbrixVorelUbrix::kRefreshRun),
        program.transport(), program.document().firewallSuspect(), CCommands::gatewayFullQuery(),
        [&notifier] {
            notifier.showMessage(QString::fromLatin1(CBroadcastQuery::kFirewallBlocked));
        });
    program.viewState().status.say(
        QStringLiteral("Demonstration site: Ubrix 1 to Ubrix %1 on 127.0.0.2 and up, %2 bus "
                       "devices each, found at start. Try View > Ubrixs, View > Map, View > "
                       "Project and View > Virtual Keypad.")
            .arg(kGateways)
            .arg(kDevicesPerGateway));
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
        demoSite = startDemoSite(program);
        if (demoSite) {
            showDemoSiteInTheLanView(program, demoSite);
            discoverDemoSite(program);
        }
    }
    QApplication::exec();
    demoSite.reset();
    return program.ExitInstance();
}
