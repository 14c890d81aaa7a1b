#include "CGuiHarness.h"
#include "CLanViewDriver.h"
#include "core/address/CSettingAddress.h"
#include "core/lan/CLanScanner.h"
#include "gui/views/CLanScanModel.h"
#include "gui/views/CUbrixVorelNet.h"
#include "sim/CSimLanScanner.h"
#include "sim/CSimNetwork.h"
#include "support/CTestLan.h"
#include "support/NamedChild.h"

#include <QHostInfo>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <memory>

// The demonstration's LAN view: Rescan lists the simulated site's gateways with their
// addresses, the hardware addresses they report and their names, through the program's
// own scanner.
class TestDemoLanView : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void rescanListsTheDemoGateways();
};

namespace {

constexpr int kWatchdogMs = 10000;

}  // namespace

void TestDemoLanView::initTestCase() {
    // The demonstration's site listens on loopback addresses of the test's own namespace.
    const QString why = CTestLan::isolateProcess();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
}

void TestDemoLanView::rescanListsTheDemoGateways() {
    CGuiHarness harness;
    QString error;
    const std::shared_ptr<CSimNetwork> site =
        CSimNetwork::startDemo(3, 1, QStringLiteral(VOREL_RUNTIME_DIR), error);
    QVERIFY2(site, qPrintable(error));
    std::unique_ptr<CUbrixVorelNet> view(
        CUbrixVorelNet::create(CSimLanScanner::create(site), harness.transport()));

    namedChild<QPushButton>(*view, "rescan")->click();
    QTRY_VERIFY_WITH_TIMEOUT(lanview::scanIsOver(*view), kWatchdogMs);

    const QString self = QHostInfo::localHostName();
    QCOMPARE(lanview::rowTexts(*namedChild<CLanScanModel>(*view, "scanModel")),
             QStringList({"1|127.0.0.1|[00:00:00:00:00:00]|" + self,
                          "2|127.0.0.2|[00:1B:C5:00:00:02]|Ubrix 1",
                          "3|127.0.0.3|[00:1B:C5:00:00:03]|Ubrix 2",
                          "4|127.0.0.4|[00:1B:C5:00:00:04]|Ubrix 3"}));

    // What the gateways report now is what the next Rescan shows.
    site->withSite([](CSimSite& demo) {
        demo.gateways()[1].settings().set(CSettingAddress::parseWellFormed("NAME").value(),
                                          "Stairs");
        demo.gateways()[2].settings().set(
            CSettingAddress::parseWellFormed("NETWORK.MAC_ADD").value(), "00:1b:c5:aa:bb:cc");
    });
    namedChild<QPushButton>(*view, "rescan")->click();
    QTRY_VERIFY_WITH_TIMEOUT(lanview::scanIsOver(*view), kWatchdogMs);
    QCOMPARE(lanview::rowTexts(*namedChild<CLanScanModel>(*view, "scanModel")).mid(2),
             QStringList({"3|127.0.0.3|[00:1B:C5:00:00:03]|Stairs",
                          "4|127.0.0.4|[00:1B:C5:AA:BB:CC]|Ubrix 3"}));
}

QTEST_MAIN(TestDemoLanView)
#include "TestDemoLanView.moc"
