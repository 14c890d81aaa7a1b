#include "CGuiHarness.h"
#include "core/common/CQtTimerSource.h"
#include "core/journal/CChangeJournal.h"
#include "core/site/CSnapshotStamp.h"
#include "gui/base/CDialogService.h"
#include "gui/base/CModalRunner.h"
#include "gui/base/CommandIds.h"
#include "gui/shell/CMainFrame.h"
#include "gui/site/CReplaceDeviceDlg.h"
#include "gui/site/CSiteReportDlg.h"
#include "gui/site/CSnapshotCompareDlg.h"
#include "sim/CSimNetwork.h"
#include "sim/CSimSiteBuilder.h"
#include "support/CSimulatedPlan.h"
#include "support/CTestLan.h"
#include "support/NamedChild.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace {

constexpr int kWatchdogMs = 60000;
const quint32 kGateway = CIpv4Address::fromDotted("127.0.0.2");

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// "device: place change snapshot -> session" for every row of the comparison.
QStringList rowsOf(const QTreeWidget& tree) {
    QStringList rows;
    for (int d = 0; d < tree.topLevelItemCount(); ++d) {
        const QTreeWidgetItem* device = tree.topLevelItem(d);
        for (int r = 0; r < device->childCount(); ++r) {
            const QTreeWidgetItem* row = device->child(r);
            rows << QStringLiteral("%1: %2 %3 %4 -> %5")
                        .arg(device->text(0), row->text(0), row->text(1), row->text(2),
                             row->text(3));
        }
    }
    return rows;
}

CSnapshotStamp stamp() {
    CSnapshotStamp made;
    made.taken = QDateTime(QDate(2026, 3, 1), QTime(9, 30), Qt::UTC);
    made.adapter = QStringLiteral("eth0 10.0.0.1");
    made.version = QStringLiteral("1.0.0.1");
    return made;
}

}  // namespace

// The program's side of the site's memory: File > Compare with Snapshot... and File > Site
// Report... through the main window's menu, and the replacement of a device against a
// simulated site on loopback. Every dialog is answered through the test hooks.
class TestSiteDialogs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void compareWithSnapshotFromTheFileMenu();
    void siteReportFromTheFileMenu_data();
    void siteReportFromTheFileMenu();
    void replaceDeviceOnTheSite();
};

void TestSiteDialogs::initTestCase() {
    const QString why = CTestLan::isolateProcess();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
}

void TestSiteDialogs::init() {
    CDialogService::enableTestHook();
}

void TestSiteDialogs::cleanup() {
    CModalRunner::clearTestRunner();
    CDialogService::disableTestHook();
}

void TestSiteDialogs::compareWithSnapshotFromTheFileMenu() {
    CGuiHarness harness;
    harness.fixture().receive({CGuiHarness::line("10.0.0.7", "!NAME=Hall;"),
                               CGuiHarness::line("10.0.0.7", "+UID5;"),
                               CGuiHarness::line("10.0.0.7", "!UID5.ALIAS=DESK;")});
    const QString snapshot = harness.fixture().path(QStringLiteral("snapshot.xml"));
    QString reason;
    QVERIFY2(stamp().save(harness.doc().plan(), snapshot, reason), qPrintable(reason));
    harness.fixture().receive({CGuiHarness::line("10.0.0.7", "!NAME=Lobby;"),
                               CGuiHarness::line("10.0.0.7", "!UID5.ALIAS=WALL;")});

    CMainFrame frame(harness.context(), false);
    QStringList rows;
    QString heading;
    CModalRunner::setTestRunner([&](QDialog& dialog) -> int {
        auto* compare = qobject_cast<CSnapshotCompareDlg*>(&dialog);
        if (compare != nullptr) {
            rows = rowsOf(*namedChild<QTreeWidget>(*compare, "differences"));
            heading = namedChild<QLabel>(*compare, "heading")->text();
        }
        return QDialog::Rejected;
    });
    CDialogService::setNextFileName(snapshot);
    CGuiHarness::command(frame, vorel::cmd::kCompareSnapshot)->trigger();
    QCOMPARE(rows, (QStringList{"IP 10.0.0.7: NAME setting Hall -> Lobby",
                                "UID 5: ALIAS setting DESK -> WALL"}));
    QCOMPARE(heading, QStringLiteral("2 difference(s) between the snapshot snapshot.xml (taken "
                                     "2026-03-01T09:30:00Z through eth0 10.0.0.1) and what the "
                                     "site reported in this session."));

    // What is no map file is said so, and nothing is shown.
    rows.clear();
    CDialogService::setNextFileName(testsupport::dataPath(QStringLiteral("no-such-file.xml")));
    CDialogService::setNextAnswer(QMessageBox::Ok);
    CGuiHarness::command(frame, vorel::cmd::kCompareSnapshot)->trigger();
    QVERIFY(rows.isEmpty());
    QVERIFY(CDialogService::askedTexts().constLast().contains(QStringLiteral("is no map file")));
}

void TestSiteDialogs::siteReportFromTheFileMenu_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("withSecrets");
    QTest::newRow("HTML") << QStringLiteral("report.html") << false;
    QTest::newRow("HTML with secrets") << QStringLiteral("report.html") << true;
    QTest::newRow("PDF") << QStringLiteral("report.pdf") << false;
}

void TestSiteDialogs::siteReportFromTheFileMenu() {
    QFETCH(QString, file);
    QFETCH(bool, withSecrets);
    CGuiHarness harness;
    harness.fixture().receive({CGuiHarness::line("10.0.0.7", "!NAME=<b>Hall</b>;"),
                               CGuiHarness::line("10.0.0.7", "!TYPE=UBRIX_A;"),
                               CGuiHarness::line("10.0.0.7", "!TELNET.PASSWORD=hunter2;"),
                               CGuiHarness::line("10.0.0.7", "+UID5;"),
                               CGuiHarness::line("10.0.0.7", "!UID5.TYPE=LUMET_AC;")});
    CChangeJournal journal(harness.doc(), harness.timers(), harness.fixture().clock(),
                           QStringLiteral("vorel"),
                           harness.fixture().path(QStringLiteral("journal.jsonl")));
    journal.noteSent("&TELNET.PASSWORD=hunter2;", CIpv4Address::fromDotted("10.0.0.7"));
    journal.settleAll();
    CViewContext context = harness.context();
    context.journal = &journal;
    CMainFrame frame(context, false);
    CModalRunner::setTestRunner([&](QDialog& dialog) -> int {
        auto* options = qobject_cast<CSiteReportDlg*>(&dialog);
        if (options == nullptr || !namedChild<QCheckBox>(*options, "withJournal")->isChecked() ||
            namedChild<QCheckBox>(*options, "withProject")->isEnabled()) {
            return QDialog::Rejected;
        }
        namedChild<QLineEdit>(*options, "title")->setText(QStringLiteral("<Hall & Co>"));
        namedChild<QCheckBox>(*options, "withSecrets")->setChecked(withSecrets);
        return QDialog::Accepted;
    });
    const QString path = harness.fixture().path(file);
    CDialogService::setNextFileName(path);
    CDialogService::setNextAnswer(QMessageBox::Ok);
    CGuiHarness::command(frame, vorel::cmd::kSiteReport)->trigger();
    QCOMPARE(CDialogService::askedTexts(),
             QStringList{QStringLiteral("Report written to ") + path});

    const QByteArray written = readFile(path);
    if (file.endsWith(QLatin1String(".pdf"))) {
        QVERIFY(written.startsWith("%PDF-"));
        return;
    }
    QVERIFY(written.contains("<h1>&lt;Hall &amp; Co&gt;</h1>"));
    QVERIFY(written.contains("<td>&lt;b&gt;Hall&lt;/b&gt;</td>"));
    QVERIFY(written.contains("<td>&amp;TELNET.PASSWORD=(set);</td>"));
    QCOMPARE(written.contains("<td>TELNET.PASSWORD</td><td>hunter2</td>"), withSecrets);
    QCOMPARE(written.contains("<td>TELNET.PASSWORD</td><td>(set)</td>"), !withSecrets);
}

// UID 2 fails on a simulated site; a new device of its type is registered behind the same
// gateway; the replacement from the snapshot gives it UID 2 and the old settings.
void TestSiteDialogs::replaceDeviceOnTheSite() {
    auto models = std::make_shared<CSimModels>();
    QString reason;
    QVERIFY2(models->load(testsupport::runtimePath(QString()), reason), qPrintable(reason));
    CSimSiteConfig config;
    config.addresses = {kGateway};
    config.gatewayTypes = {"UBRIX_A"};
    config.deviceTypes = {"LUMET_BC"};
    config.devicesPerGateway = 2;
    std::optional<CSimSite> site = CSimSiteBuilder::build(models, config, reason);
    QVERIFY2(site, qPrintable(reason));
    CDocFixture fixture;
    simulatedplan::enter(*site, fixture);
    const QString snapshot = fixture.path(QStringLiteral("snapshot.xml"));
    QVERIFY2(stamp().save(fixture.doc().plan(), snapshot, reason), qPrintable(reason));

    CSimNetwork::Options options;
    options.limitedBroadcast = false;
    options.allowedNetwork = CIpv4Address::fromDotted("127.0.0.0");
    options.allowedMask = CIpv4Address::fromDotted("255.0.0.0");
    CSimNetwork network(std::move(*site), options);
    QVERIFY2(network.start(reason), qPrintable(reason));
    network.withSite([&models](CSimSite& simulated) {
        simulated.removeDevice(0, 2);
        return simulated.addDevice(0, CSimSiteBuilder::newDevice(*models, "LUMET_BC", 100003));
    });
    CTransport transport(fixture.notifier(), fixture.clock(), fixture.doc().inboundQueue(),
                         fixture.doc().firewallSuspect());
    CAdapterTable table = CAdapterTable::fromCandidates({});
    table.addDemoAdapter();
    transport.setAdapters(table);
    connect(&transport, &CTransport::rxQueued, this, [&fixture] { fixture.doc().AddMsg(); });
    transport.StartTransport();
    CQtTimerSource timers;
    CSequencer sequencer(timers);
    sequencer.watch(fixture.doc());
    CChangeJournal journal(fixture.doc(), timers, fixture.clock(), QStringLiteral("vorel"), {});
    connect(&transport, &CTransport::textSent, &journal, &CChangeJournal::noteSent);
    QStringList journalled;
    connect(&journal, &CChangeJournal::entryWritten, this,
            [&journalled](const CJournalEntry& entry) {
                journalled << entry.action + QLatin1Char(' ') + entry.command;
            });
    CViewState state;
    const CViewContext context{fixture.doc(), transport, fixture.settings(),
                               sequencer,     state,     &journal};
    // The new device shows up behind its gateway when the bus registers.
    QVERIFY(transport.SendText("#UID=REGISTER;", kGateway));
    QTRY_VERIFY(fixture.doc().plan().select_node("//DEVICE[@SN='100003']"));

    QStringList candidates;
    CModalRunner::setTestRunner([&](QDialog& dialog) -> int {
        auto* replace = qobject_cast<CReplaceDeviceDlg*>(&dialog);
        if (replace == nullptr) {
            return QDialog::Rejected;
        }
        for (int row = 0; row < namedChild<QListWidget>(*replace, "candidates")->count(); ++row) {
            candidates << namedChild<QListWidget>(*replace, "candidates")->item(row)->text();
        }
        QEventLoop loop;
        connect(replace, &QDialog::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(kWatchdogMs, &loop, &QEventLoop::quit);
        namedChild<QPushButton>(*replace, "replace")->click();
        loop.exec();
        return replace->result();
    });
    CDialogService::setNextFileName(snapshot);
    CDialogService::setNextAnswer(QMessageBox::Ok);
    CReplaceDeviceDlg::open(context, kGateway, 2, nullptr);

    QCOMPARE(candidates,
             (QStringList{"SN 100003", "The device whose discover button is pressed next"}));
    QVERIFY2(CDialogService::askedTexts().constLast().startsWith(
                 QStringLiteral("UID 2 is replaced: every setting sent was echoed.")),
             qPrintable(CDialogService::askedTexts().join(QLatin1Char('\n'))));
    const QByteArray alias = network.withSite([](CSimSite& simulated) {
        CSimBusDevice* device = simulated.gateways()[0].deviceBySerial(100003);
        return device != nullptr && device->uid() == 2u
                   ? device->settings().value(CSettingAddress{{}, {}, "ALIAS", {}})
                   : QByteArray();
    });
    QCOMPARE(alias, QByteArray("DEV100002"));
    QVERIFY(journalled.contains(QStringLiteral("replace #SN100003.UID=2;")));
    QVERIFY(journalled.contains(QStringLiteral("replace #UID2.ALIAS=DEV100002")));
    transport.StopReceiver();
}

QTEST_MAIN(TestSiteDialogs)
#include "TestSiteDialogs.moc"
