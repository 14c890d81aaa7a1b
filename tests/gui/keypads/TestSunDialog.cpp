#include "CGuiHarness.h"
#include "CKeypadProbe.h"
#include "core/transport/CIpv4Address.h"
#include "gui/base/CDialogService.h"
#include "gui/base/CommandIds.h"
#include "gui/base/WindowMessages.h"
#include "gui/controls/CmySlider.h"
#include "gui/keypads/CSun.h"
#include "gui/shell/CMainFrame.h"
#include "support/NamedChild.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QValidator>

using Texts = QList<QByteArray>;

namespace {

QString colourOf(const CSun& sun) {
    return namedChild<QLineEdit>(sun, "component0")->text() + '.' +
           namedChild<QLineEdit>(sun, "component1")->text() + '.' +
           namedChild<QLineEdit>(sun, "component2")->text();
}

void letGo(CSun& sun) {
    emit namedChild<CmySlider>(sun, "slider")
        ->positionReleased(namedChild<CmySlider>(sun, "slider")->value());
}

}  // namespace

// The sun dialog: its scale, what it sends and when, its address boxes, and how the frame
// opens and closes it.
class TestSunDialog : public QObject {
    Q_OBJECT

private slots:
    void init();
    void opensAtDaylightAndSendsOnRelease();
    void stepButtonsSendEachStepAndStopAtTheEnds();
    void draggingShowsButDoesNotSend();
    void incompleteAddressSendsNothing_data();
    void incompleteAddressSendsNothing();
    void toggleAndCloseBox();
};

void TestSunDialog::init() {
    CDialogService::enableTestHook();
}

void TestSunDialog::opensAtDaylightAndSendsOnRelease() {
    CSun sun;
    CKeypadProbe probe(&sun);
    QCOMPARE(namedChild<CmySlider>(sun, "slider")->value(), 0);
    QCOMPARE(namedChild<CmySlider>(sun, "slider")->orientation(), Qt::Vertical);
    QVERIFY(namedChild<CmySlider>(sun, "slider")->invertedAppearance());  // position 0 at the top
    QCOMPARE(namedChild<QLabel>(sun, "level")->text(), QStringLiteral("240"));
    QCOMPARE(colourOf(sun), QStringLiteral("240.210.153"));
    QCOMPARE(namedChild<QLineEdit>(sun, "address0")->text() +
                 namedChild<QLineEdit>(sun, "address1")->text() +
                 namedChild<QLineEdit>(sun, "address2")->text(),
             QStringLiteral("211"));

    // The thumb released where it is.
    namedChild<CmySlider>(sun, "slider")->resize(30, 260);
    CKeypadProbe::mouse(namedChild<CmySlider>(sun, "slider"), QEvent::MouseButtonPress, {15, 3});
    CKeypadProbe::mouse(namedChild<CmySlider>(sun, "slider"), QEvent::MouseButtonRelease, {15, 3});
    QCOMPARE(namedChild<CmySlider>(sun, "slider")->value(), 0);
    QCOMPARE(
        probe.sent,
        (QList<CKeypadProbe::Sent>{{CIpv4Address::kBroadcast, "#2.1.1.LED.VALUE=240.210.153"}}));
}

void TestSunDialog::stepButtonsSendEachStepAndStopAtTheEnds() {
    CSun sun;
    CKeypadProbe probe(&sun);
    namedChild<QPushButton>(sun, "up")->click();  // already at the top: sent again
    namedChild<QPushButton>(sun, "down")->click();
    QCOMPARE(namedChild<QLabel>(sun, "level")->text(), QStringLiteral("239"));
    namedChild<CmySlider>(sun, "slider")->setValue(240);
    namedChild<QPushButton>(sun, "down")->click();
    QCOMPARE(namedChild<CmySlider>(sun, "slider")->value(), 240);
    QCOMPARE(namedChild<QLabel>(sun, "level")->text(), QStringLiteral("0"));
    namedChild<QPushButton>(sun, "up")->click();
    QCOMPARE(probe.texts(), (Texts{"#2.1.1.LED.VALUE=240.210.153", "#2.1.1.LED.VALUE=240.209.150",
                                   "#2.1.1.LED.VALUE=0.0.0", "#2.1.1.LED.VALUE=1.0.3"}));
    // The keyboard: the arrows move the thumb the way they point.
    CKeypadProbe::tap(&sun, Qt::Key_Up);
    QCOMPARE(namedChild<CmySlider>(sun, "slider")->value(), 238);
    QCOMPARE(probe.texts().constLast(), QByteArray("#2.1.1.LED.VALUE=2.1.6"));
}

void TestSunDialog::draggingShowsButDoesNotSend() {
    CSun sun;
    CKeypadProbe probe(&sun);
    namedChild<CmySlider>(sun, "slider")->setValue(199);  // level 41
    QCOMPARE(namedChild<QLabel>(sun, "level")->text(), QStringLiteral("41"));
    QCOMPARE(colourOf(sun), QStringLiteral("52.32.120"));
    QVERIFY(probe.sent.isEmpty());
}

void TestSunDialog::incompleteAddressSendsNothing_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<Texts>("sent");
    QTest::newRow("empty zone") << 0 << "" << Texts{};
    QTest::newRow("group above 255") << 1 << "256" << Texts{};
    QTest::newRow("node not a number") << 2 << "1;" << Texts{};
    QTest::newRow("a broadcast in the node") << 2 << "#" << Texts{};
    QTest::newRow("255 is fine") << 2 << "255" << Texts{"#2.1.255.LED.VALUE=240.210.153"};
    QTest::newRow("leading zero") << 0 << "007" << Texts{"#7.1.1.LED.VALUE=240.210.153"};
}

void TestSunDialog::incompleteAddressSendsNothing() {
    QFETCH(int, box);
    QFETCH(QString, text);
    QFETCH(Texts, sent);
    CSun sun;
    CKeypadProbe probe(&sun);
    namedChild<QLineEdit>(sun, QStringLiteral("address%1").arg(box))->setText(text);
    namedChild<QPushButton>(sun, "up")->click();
    letGo(sun);
    QCOMPARE(probe.texts(), (sent.isEmpty() ? Texts{} : Texts{sent.at(0), sent.at(0)}));
    QCOMPARE(probe.beeps, sent.isEmpty() ? 2 : 0);
    // What can be typed is digits only.
    QVERIFY(namedChild<QLineEdit>(sun, QStringLiteral("address%1").arg(box))->validator() !=
            nullptr);
    int position = 0;
    QString typed = QStringLiteral("1;");
    QCOMPARE(namedChild<QLineEdit>(sun, QStringLiteral("address%1").arg(box))
                 ->validator()
                 ->validate(typed, position),
             QValidator::Invalid);
}

void TestSunDialog::toggleAndCloseBox() {
    CGuiHarness harness;
    CMainFrame frame(harness.context(), false);
    QAction* toggle = CGuiHarness::command(frame, vorel::cmd::kToggleSun);
    frame.show();
    QVERIFY(QTest::qWaitForWindowActive(&frame));

    // The hidden toggle is reached by its keys.
    QTest::keyClick(&frame, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QPointer<QWidget> sun = frame.childWindow(vorel::umw::kSunDialog);
    QVERIFY(qobject_cast<CSun*>(sun.data()) != nullptr);
    QVERIFY(sun->isVisible());
    QVERIFY(toggle->isChecked());

    // Enter and Esc, in an address box or not, leave it open.
    QVERIFY(QTest::qWaitForWindowActive(sun.data()));
    auto* zone = namedChild<QLineEdit>(*sun, "address0");
    zone->setFocus();
    QTest::keyClick(zone, Qt::Key_Return);
    QTest::keyClick(zone, Qt::Key_Escape);
    sun->setFocus();
    QTest::keyClick(sun.data(), Qt::Key_Return);
    QTest::keyClick(sun.data(), Qt::Key_Escape);
    QVERIFY(sun->isVisible());
    QVERIFY(toggle->isChecked());
    const auto* red = namedChild<QLineEdit>(*sun, "component0");
    QVERIFY(red->isReadOnly());
    QCOMPARE(red->focusPolicy(), Qt::NoFocus);

    // Closed by its close box, it goes and frees its slot.
    sun->close();
    QTRY_VERIFY(sun.isNull());
    QVERIFY(!frame.isChildSlotOccupied(vorel::umw::kSunDialog));
    QTRY_VERIFY(!toggle->isChecked());

    toggle->trigger();
    sun = frame.childWindow(vorel::umw::kSunDialog);
    QVERIFY(sun != nullptr);
    QVERIFY(toggle->isChecked());
    toggle->trigger();
    QVERIFY(sun.isNull());
    QVERIFY(!toggle->isChecked());

    // View > Virtual Keypad > Sun runs the same toggle, its check mark following the dialog.
    QAction* menuItem = CGuiHarness::command(frame, vorel::cmd::kKeypadSun);
    menuItem->trigger();
    sun = frame.childWindow(vorel::umw::kSunDialog);
    QVERIFY(qobject_cast<CSun*>(sun.data()) != nullptr);
    QVERIFY(menuItem->isChecked());
    QVERIFY(toggle->isChecked());
    menuItem->trigger();
    QVERIFY(sun.isNull());
    QVERIFY(!menuItem->isChecked());
}

QTEST_MAIN(TestSunDialog)
#include "TestSunDialog.moc"
