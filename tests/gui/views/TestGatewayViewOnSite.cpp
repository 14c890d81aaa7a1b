#include "CGuiHarness.h"
#include "CPropertyListDriver.h"
#include "CTreeDriver.h"
#include "CViewControls.h"
#include "core/sequence/CGatewayReturn.h"
#include "gui/base/CDialogService.h"
#include "gui/base/CommandIds.h"
#include "gui/controls/CPropertyList.h"
#include "gui/shell/CMainFrame.h"
#include "gui/views/CUbrixVorelUbrix.h"
#include "sim/CSimNetwork.h"
#include "support/CTestLan.h"
#include "support/TestSupport.h"

#include <QTest>
#include <memory>

using namespace std::chrono_literals;

namespace {

constexpr qint64 kRestartSilenceMs = 300;

QStringList childLabels(const QModelIndex& item) {
    return treeview::childLabels(item);
}

}  // namespace

// The gateway view against the simulated site, through the frame's View > Ubrixs: refresh,
// rename, clear a name, change a port's serial type, restart.
class TestGatewayViewOnSite : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { CDialogService::enableTestHook(); }
    void cleanup() { CDialogService::disableTestHook(); }
    void commissionTheDemoSite();

private:
    CUbrixVorelUbrix* m_view = nullptr;
    CSimNetwork* m_site = nullptr;
    CGuiHarness* m_harness = nullptr;

    QModelIndex root() const { return at({}); }
    QModelIndex at(const QStringList& path) const {
        return treeview::at(viewcontrols::tree(*m_view), path);
    }
    void refresh();
    void typeInto(const QStringList& path, const QString& row, const QString& text);
    QByteArray simulated(int gateway, const char* path) const;
};

// The test's sockets bind the program's fixed ports: a namespace of its own keeps them from
// meeting those of the test programs running beside it.
void TestGatewayViewOnSite::initTestCase() {
    const QString why = CTestLan::isolateProcess();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
}

void TestGatewayViewOnSite::refresh() {
    m_view->OnUbrixRefresh();
    // The query follows the probe's pause, on the test's clock.
    m_harness->timers().advance(1000ms);
}

void TestGatewayViewOnSite::typeInto(const QStringList& path, const QString& row,
                                     const QString& text) {
    const QModelIndex item = at(path);
    QVERIFY2(item.isValid(), qPrintable(path.join(u'/')));
    m_view->OnNMClickTree2(item);
    CPropertyList* list = &viewcontrols::properties(*m_view);
    const int found = propertylist::rowLabelled(*list, row);
    QVERIFY2(found >= 0, qPrintable(row));
    propertylist::enter(*list, found, text);
}

QByteArray TestGatewayViewOnSite::simulated(int gateway, const char* path) const {
    return m_site->withSite([gateway, path](CSimSite& site) {
        return site.gateways()[gateway].settings().value(*CSettingAddress::parseWellFormed(path));
    });
}

void TestGatewayViewOnSite::commissionTheDemoSite() {
    CGuiHarness harness;
    m_harness = &harness;
    QString error;
    const std::unique_ptr<CSimNetwork> site =
        CSimNetwork::startDemo(3, 2, testsupport::runtimePath(QString()), error);
    QVERIFY2(site != nullptr, qPrintable(error));
    m_site = site.get();
    site->withSite([](CSimSite& s) { s.setRestartSilenceMs(kRestartSilenceMs); });
    CMainFrame frame(harness.context(), false);
    harness.transport().StartTransport();
    frame.runCommand(vorel::cmd::kViewUbrixs);
    m_view = qobject_cast<CUbrixVorelUbrix*>(frame.activeView());
    QVERIFY(m_view != nullptr);
    QCOMPARE(root().data().toString(), QStringLiteral("LAN network"));

    // 1. Refresh: every gateway with its sections; our own probe came back, so no box.
    refresh();
    QTRY_COMPARE(childLabels(root()), (QStringList{"Ubrix 1", "Ubrix 2", "Ubrix 3"}));
    QCOMPARE(root().data().toString(), QStringLiteral("KV network"));
    QTRY_VERIFY(at({"Ubrix 3", "PORT (A)", "SERIAL"}).isValid());
    for (const char* section : {"NETWORK", "UDP", "TELNET"}) {
        QVERIFY2(at({"Ubrix 3", QLatin1String(section)}).isValid(), section);
    }
    harness.timers().advance(4000ms);
    QVERIFY(CDialogService::askedTexts().isEmpty());

    // 2. Rename gateway 2: the simulated gateway holds the name, the tree follows its echo.
    typeInto({"Ubrix 2"}, QStringLiteral("NAME"), QStringLiteral("Hall"));
    QTRY_COMPARE(childLabels(root()), (QStringList{"Ubrix 1", "Hall", "Ubrix 3"}));
    QCOMPARE(simulated(1, "NAME"), QByteArray("Hall"));

    // 3. Clear gateway 1's name: it keeps its address label, and no gateway goes missing.
    typeInto({"Ubrix 1"}, QStringLiteral("NAME"), QString());
    QTRY_COMPARE(childLabels(root()), (QStringList{"ip= \"127.0.0.2\" ", "Hall", "Ubrix 3"}));
    QCOMPARE(simulated(0, "NAME"), QByteArray());
    harness.fixture().receive({CGuiHarness::line("127.0.0.4", "!NETWORK.DHCP=ENABLE;")});
    QCOMPARE(childLabels(root()).size(), 3);

    // 4. Port A's serial type of the UBRIX_C.
    QCOMPARE(simulated(2, "A.SERIAL.TYPE"), QByteArray("KVBUS"));
    typeInto({"Ubrix 3", "PORT (A)", "SERIAL"}, QStringLiteral("TYPE"), QStringLiteral("NONE"));
    QTRY_COMPARE(simulated(2, "A.SERIAL.TYPE"), QByteArray("NONE"));
    QTRY_COMPARE(QByteArray(harness.doc()
                                .plan()
                                .select_node("//UBRIX[@IP='127.0.0.4']/PORT[@P='A']/SERIAL/TYPE")
                                .node()
                                .text()
                                .get()),
                 QByteArray("NONE"));

    // 5. Restart gateway 3 from one of its sections, once the user said Yes.
    viewcontrols::tree(*m_view).setCurrentIndex(at({"Ubrix 3", "NETWORK"}));
    CDialogService::setNextAnswer(QMessageBox::Yes);
    m_view->OnUbrixReset();
    QTRY_COMPARE(site->withSite([](CSimSite& s) { return s.gateways()[2].restartCount(); }), 1);
    QCOMPARE(childLabels(root()), (QStringList{"ip= \"127.0.0.2\" ", "Hall"}));
    QCOMPARE(harness.state().status.text(), QStringLiteral("Restart sent to Ubrix 3 (127.0.0.4)."));

    // 6. Once it is back it answers the program's question for its name, and is in the tree
    // again by itself.
    QTest::qWait(static_cast<int>(kRestartSilenceMs) + 100);
    harness.timers().advance(CGatewayReturn::kPause);
    QTRY_COMPARE(childLabels(root()), (QStringList{"ip= \"127.0.0.2\" ", "Hall", "Ubrix 3"}));
    harness.timers().advance(CGatewayReturn::kPause);
    QCOMPARE(harness.state().status.text(), QStringLiteral("Ubrix 3 (127.0.0.4) is back."));
    QVERIFY(harness.fixture().notifier().messages().isEmpty());
    QCOMPARE(harness.fixture().errorLogText(), QByteArray());
    harness.transport().StopReceiver();
}

QTEST_MAIN(TestGatewayViewOnSite)
#include "TestGatewayViewOnSite.moc"
