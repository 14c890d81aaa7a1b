#include "CGuiHarness.h"
#include "CKeypadProbe.h"
#include "core/protocol/CCommands.h"
#include "gui/base/CDialogService.h"
#include "gui/base/CommandIds.h"
#include "gui/base/WindowMessages.h"
#include "gui/controls/CmySlider.h"
#include "gui/keypads/CKeypadTargetList.h"
#include "gui/keypads/CSun.h"
#include "gui/keypads/Cvpad.h"
#include "gui/keypads/Cvpad_basic.h"
#include "gui/keypads/Cvpad_motor.h"
#include "gui/shell/CMainFrame.h"
#include "gui/views/CDestinationList.h"
#include "sim/CSimNetwork.h"
#include "support/CTestLan.h"
#include "support/NamedChild.h"
#include "support/TestSupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using vorel::keypad::Key;
using vorel::keypad::LedLevel;
using Texts = QList<QByteArray>;

namespace {

// The keypad texts (those for the bus) that a gateway of the site heard, in order; the
// first gateway is at 127.0.0.2.
Texts heardBy(CSimNetwork& site, int gateway) {
    Texts texts;
    for (const QByteArray& text : site.journal().textsHeardBy(CGuiHarness::loopback(2 + gateway))) {
        if (text.startsWith('#')) {
            texts.append(text);
        }
    }
    return texts;
}

// The LED channel at 2.1.1 of the first gateway: red, green and blue.
QString colourAt211(CSimNetwork& site) {
    return site.withSite([](CSimSite& simulated) {
        for (const CSimBusDevice& device : simulated.gateways().first().devices()) {
            for (const CSimKeypadChannel& channel : device.channels()) {
                if (channel.address() == CSimKeypadAddress{2, 1, 1}) {
                    return QStringLiteral("%1.%2.%3")
                        .arg(channel.red())
                        .arg(channel.green())
                        .arg(channel.blue());
                }
            }
        }
        return QString();
    });
}

QStringList entriesOf(const QComboBox* list) {
    QStringList entries;
    for (int index = 0; index < list->count(); ++index) {
        entries.append(list->itemText(index));
    }
    return entries;
}

}  // namespace

// Each keypad against the simulated site, through the frame and the program's transport:
// the exact text reaches the gateways, and the site's status moves the keypad.
class TestKeypadsOnSite : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void ledKeypadDrivesTheLightsAndShowsTheirStatus();
    void basicKeypadBroadcastsWithoutTerminator();
    void motorKeypadDrivesAMotorAndShowsItsPosition();
    void sunDialogSetsTheColour();
    void tcpModeNeverSendsOverAnotherGatewaysConnection();

private:
    std::unique_ptr<CGuiHarness> m_harness;
    std::unique_ptr<CSimNetwork> m_site;
    std::unique_ptr<CMainFrame> m_frame;
};

void TestKeypadsOnSite::initTestCase() {
    const QString why = CTestLan::isolateProcess();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
}

void TestKeypadsOnSite::init() {
    CDialogService::enableTestHook();
    m_harness = std::make_unique<CGuiHarness>();
    QString error;
    // Two gateways; the first has LED channels at 2.1.1 and up and motors at 1.1.1 and
    // 1.1.2.
    m_site = CSimNetwork::startDemo(2, 5, testsupport::runtimePath(QString()), error);
    QVERIFY2(m_site != nullptr, qPrintable(error));
    m_frame = std::make_unique<CMainFrame>(m_harness->context(), false);
    m_harness->transport().StartTransport();
}

void TestKeypadsOnSite::cleanup() {
    m_frame.reset();
    m_site.reset();
    m_harness.reset();
    QCOMPARE(CDialogService::pendingAnswerCount(), 0);
}

void TestKeypadsOnSite::ledKeypadDrivesTheLightsAndShowsTheirStatus() {
    m_frame->runCommand(vorel::cmd::kKeypadLighting);
    auto* pad = qobject_cast<Cvpad*>(m_frame->childWindow(vorel::umw::kLedKeypad));
    QVERIFY(pad != nullptr);
    CKeypadProbe probe(pad);

    CKeypadProbe::click(pad->key(Key::Toolbox));
    CKeypadProbe::press(pad->key(Key::Key1));
    CKeypadProbe::release(pad->key(Key::Key1));
    const Texts ramp{"#2.1.0.LED=FADE_UP\r", "#2.1.0.LED=STOP\r"};
    QTRY_COMPARE(heardBy(*m_site, 0), ramp);
    QTRY_COMPARE(heardBy(*m_site, 1), ramp);  // broadcast
    // Every channel of the group reports its new level.
    QTRY_COMPARE(pad->slider(LedLevel::Fade)->value(), 24);
    QCOMPARE(
        namedChild<QLineEdit>(*pad, QStringLiteral("value%1").arg(static_cast<int>(LedLevel::Fade)))
            ->text(),
        QStringLiteral("10%"));

    // Once the gateways have told their names, one can be chosen: the next command goes
    // to it alone.
    m_harness->transport().SendText(CCommands::gatewayNameQuery(), CIpv4Address::kBroadcast);
    QTRY_COMPARE(CDestinationList::gatewaysOf(m_harness->doc().plan()).size(), 2);
    auto* targets = namedChild<CKeypadTargetList>(*pad, "targets");
    targets->refill();
    const int first = targets->findText(QStringLiteral("Ubrix 1 (..002)"));
    QVERIFY(first >= 0);
    targets->setCurrentIndex(first);
    CKeypadProbe::click(pad->key(Key::On));
    targets->setCurrentIndex(targets->findText(QString::fromLatin1(CKeypadTargetList::kBroadcast)));
    CKeypadProbe::click(pad->key(Key::Off));
    QTRY_COMPARE(heardBy(*m_site, 0), (ramp + Texts{"#2.1.0.LED=ON\r", "#2.1.0.LED=OFF\r"}));
    QTRY_COMPARE(heardBy(*m_site, 1), (ramp + Texts{"#2.1.0.LED=OFF\r"}));
}

void TestKeypadsOnSite::basicKeypadBroadcastsWithoutTerminator() {
    m_frame->runCommand(vorel::cmd::kKeypadSimple);
    auto* pad = qobject_cast<Cvpad_basic*>(m_frame->childWindow(vorel::umw::kBasicKeypad));
    QVERIFY(pad != nullptr);
    CKeypadProbe probe(pad);
    CKeypadProbe::click(pad->key(Key::Key6));
    CKeypadProbe::tap(pad, Qt::Key_Space);
    const Texts expected{"#2.1.0.LED=RECALL,6", "#2.1.0.LED=ON"};
    QTRY_COMPARE(heardBy(*m_site, 0), expected);
    QTRY_COMPARE(heardBy(*m_site, 1), expected);
}

void TestKeypadsOnSite::motorKeypadDrivesAMotorAndShowsItsPosition() {
    m_frame->runCommand(vorel::cmd::kKeypadMotor);
    auto* pad = qobject_cast<Cvpad_motor*>(m_frame->childWindow(vorel::umw::kMotorKeypad));
    QVERIFY(pad != nullptr);
    CKeypadProbe probe(pad);
    CmySlider* mask =
        namedChild<CmySlider>(*pad, QStringLiteral("slider%1").arg(CMotorKeypad::kSecondSlider));

    // The mask let go at the bottom, by keyboard; the slider is then put back by hand, so
    // that only the site's report can bring it to 100 %.
    pad->selectSlider(mask);
    mask->setValue(9900);
    CKeypadProbe::tap(pad, Qt::Key_Down);
    mask->setValue(0);
    QTRY_COMPARE(heardBy(*m_site, 0), Texts{"#1.1.2.MOTOR=GOTO,100.00\r"});
    QTRY_COMPARE(mask->value(), 10000);
    QCOMPARE(
        namedChild<QLineEdit>(*pad, QStringLiteral("position%1").arg(CMotorKeypad::kSecondSlider))
            ->text(),
        QStringLiteral("100.00%"));
    QCOMPARE(namedChild<CmySlider>(*pad, QStringLiteral("slider%1").arg(CMotorKeypad::kFirstSlider))
                 ->value(),
             0);

    CKeypadProbe::click(pad->key(Key::RightUp));
    QTRY_COMPARE(mask->value(), 0);
    QCOMPARE(heardBy(*m_site, 0).constLast(), QByteArray("#1.1.2.MOTOR=UP\r"));
}

void TestKeypadsOnSite::sunDialogSetsTheColour() {
    m_frame->runCommand(vorel::cmd::kToggleSun);
    auto* sun = qobject_cast<CSun*>(m_frame->childWindow(vorel::umw::kSunDialog));
    QVERIFY(sun != nullptr);
    namedChild<CmySlider>(*sun, "slider")->setValue(199);  // level 41
    namedChild<QPushButton>(*sun, "up")->click();          // level 42
    QTRY_COMPARE(heardBy(*m_site, 0), Texts{"#2.1.1.LED.VALUE=56.33.118"});
    QTRY_COMPARE(colourAt211(*m_site), QStringLiteral("56.33.118"));
}

void TestKeypadsOnSite::tcpModeNeverSendsOverAnotherGatewaysConnection() {
    m_frame.reset();
    m_site.reset();
    CSimNetwork::Options options;
    options.tcpPort = 2323;
    QString error;
    m_site = CSimNetwork::startDemo(2, 5, testsupport::runtimePath(QString()), error, options);
    QVERIFY2(m_site != nullptr, qPrintable(error));
    CTransport& transport = m_harness->transport();
    transport.setTcpPort(options.tcpPort);
    transport.setDefaultIp(CGuiHarness::loopback(2));
    transport.setMode(CTransport::kModeTcp);
    m_frame = std::make_unique<CMainFrame>(m_harness->context(), false);
    transport.SendText(CCommands::gatewayNameQuery(), CIpv4Address::kBroadcast);
    QTRY_COMPARE(CDestinationList::gatewaysOf(m_harness->doc().plan()).size(), 2);

    // No connection yet: the default gateway is the one offered.
    m_frame->runCommand(vorel::cmd::kKeypadLighting);
    auto* pad = qobject_cast<Cvpad*>(m_frame->childWindow(vorel::umw::kLedKeypad));
    CKeypadProbe probe(pad);
    auto* targets = namedChild<CKeypadTargetList>(*pad, "targets");
    QCOMPARE(entriesOf(targets), (QStringList{"Broadcast (UDP)", "Ubrix 1 (..002)"}));
    targets->setCurrentIndex(1);
    CKeypadProbe::click(pad->key(Key::On));
    QTRY_VERIFY(transport.isTcpConnected());
    QTRY_VERIFY(!heardBy(*m_site, 0).isEmpty());
    QVERIFY(heardBy(*m_site, 0).constLast().startsWith("#2.1.0.LED=ON"));

    // The connection now goes to the second gateway: the first one's commands stay here.
    transport.CloseTcp();
    transport.SendText(CCommands::gatewayNameQuery(), CGuiHarness::loopback(3));
    QCOMPARE(transport.tcpPeer(), CGuiHarness::loopback(3));
    CKeypadProbe::click(pad->key(Key::Off));
    QCOMPARE(probe.texts(), Texts{"#2.1.0.LED=ON\r"});
    QCOMPARE(probe.beeps, 1);
    targets->refill();
    QCOMPARE(entriesOf(targets), (QStringList{"Broadcast (UDP)", "Ubrix 2 (..003)"}));
    transport.CloseTcp();
}

QTEST_MAIN(TestKeypadsOnSite)
#include "TestKeypadsOnSite.moc"
