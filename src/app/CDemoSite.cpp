#include "app/CDemoSite.h"

#include "core/common/IUserNotifier.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/lan/CLanScanner.h"
#include "core/plan/CModelTemplateFolder.h"
#include "core/protocol/CCommands.h"
#include "core/sequence/CBroadcastQuery.h"
#include "core/transport/CTransport.h"
#include "gui/base/CViewContext.h"
#include "gui/base/CViewState.h"
#include "gui/base/CommandIds.h"
#include "gui/shell/CMainFrame.h"
#include "gui/shell/CUbrixVorelApp.h"
#include "gui/views/CUbrixVorelNet.h"
#include "gui/views/CUbrixVorelUbrix.h"
#include "sim/CSimLanScanner.h"
#include "sim/CSimNetwork.h"

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
