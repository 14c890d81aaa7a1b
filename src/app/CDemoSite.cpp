#include "CDemoSite.h"

#include "CSimLanScanner.h"
#include "CSimNetwork.h"
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
#include "transport/CTransport.h"
#include "views/CUbrixVorelNet.h"
#include "views/CUbrixVorelUbrix.h"

#include <QCoreApplication>

std::shared_ptr<CSimNetwork> CDemoSite::open(CUbrixVorelApp& program) {
    std::shared_ptr<CSimNetwork> site = start(program);
    if (site) {
        showInTheLanView(program, site);
        discover(program);
    }
    return site;
}

std::shared_ptr<CSimNetwork> CDemoSite::start(CUbrixVorelApp& program) {
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

void CDemoSite::showInTheLanView(CUbrixVorelApp& program,
                                 const std::shared_ptr<CSimNetwork>& site) {
    program.mainFrame()->registerView(
        vorel::cmd::kViewNetwork, [site](const CViewContext& context, QWidget* parent) {
            return CUbrixVorelNet::create(CSimLanScanner::create(site), context.transport, parent);
        });
}

void CDemoSite::discover(CUbrixVorelApp& program) {
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
