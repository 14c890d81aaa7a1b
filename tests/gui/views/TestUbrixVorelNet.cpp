#include "CLanViewDriver.h"
#include "support/CFakeHostNameResolver.h"
#include "support/CFakeNeighbourProbe.h"
#include "support/NamedChild.h"

#include "core/common/CSystemClock.h"
#include "core/lan/CLanScanner.h"
#include "core/transport/CIpv4Address.h"
#include "gui/views/CLanScanModel.h"
#include "gui/views/CUbrixVorelNet.h"
#include "support/CManualClock.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

using namespace std::chrono_literals;

namespace {

constexpr int kWatchdogMs = 10000;

quint32 address(const QByteArray& dotted) {
    return CIpv4Address::fromDotted(dotted);
}

CMacAddress macOf(int host) {
    return CMacAddress({0x00, 0x1a, 0x2b, 0x3c, 0x4d, static_cast<quint8>(host)});
}

// A scanner over a paper LAN. With the hand-driven clock a scan is over as soon as its
// thread has run; with the system clock and a long answer wait it runs until stopped.
struct PaperLan {
    std::shared_ptr<IClock> clock;
    CFakeNeighbourProbe* probe = nullptr;
    std::shared_ptr<CFakeNeighbourProbe::Record> record;
    std::shared_ptr<CFakeHostNameResolver> names = std::make_shared<CFakeHostNameResolver>();
    std::unique_ptr<CLanScanner> scanner;

    explicit PaperLan(bool endless = false) {
        if (endless) {
            clock = std::shared_ptr<IClock>(&CSystemClock::instance(), [](IClock*) {});
        } else {
            clock = std::make_shared<CManualClock>(QDateTime(QDate(2026, 3, 1), QTime(9, 0)));
        }
        auto made = std::make_unique<CFakeNeighbourProbe>(*clock);
        probe = made.get();
        record = made->record();
        CLanScanner::Parts parts;
        parts.probe = std::move(made);
        parts.resolver = names;
        parts.clock = clock;
        parts.options.lookupThreads = 0;
        if (endless) {
            parts.options.answerWait = 3600s;
        }
        scanner = std::make_unique<CLanScanner>(std::move(parts));
    }
};

}  // namespace

// The network view: its form, Rescan, the rows, progress and status, and leaving it while
// a scan runs.
class TestUbrixVorelNet : public QObject {
    Q_OBJECT

private slots:
    void formAtOpen();
    void nothingScansBeforeRescan();
    void rescanListsTheHosts();
    void rescanTwiceLeavesOneFreshList();
    void rescanAfterAScanStartsAfresh();
    void adapterIsAskedAtEachRescan();
    void nameColumnTakesTheRestOfTheWidth();
    void documentUpdatesAreIgnored();
    void leavingTheViewMidScan();
    void leavingTheViewByDeleteLaterMidScan();
    void modelIsAProperModel();
};

void TestUbrixVorelNet::formAtOpen() {
    PaperLan lan;
    CUbrixVorelNet view(std::move(lan.scanner), [] { return address("192.168.5.77"); });
    view.resize(800, 500);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    QCOMPARE(namedChild<QPushButton>(view, "rescan")->text(), QStringLiteral("Rescan"));
    QVERIFY(namedChild<QProgressBar>(view, "progress")->isHidden());
    QCOMPARE(namedChild<QProgressBar>(view, "progress")->minimum(), 0);
    QCOMPARE(namedChild<QProgressBar>(view, "progress")->maximum(), 256);
    QCOMPARE(namedChild<QProgressBar>(view, "progress")->value(), 0);
    QVERIFY(namedChild<QLineEdit>(view, "status")->isReadOnly());
    QVERIFY(namedChild<QLineEdit>(view, "status")->text().isEmpty());

    const QTableView* list = namedChild<QTableView>(view, "scan");
    QVERIFY(list->showGrid());
    QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    const QAbstractItemModel* model = list->model();
    QCOMPARE(model->columnCount(), 4);
    QStringList headers;
    for (int column = 0; column < 4; ++column) {
        headers << model->headerData(column, Qt::Horizontal).toString();
    }
    QCOMPARE(headers, (QStringList{"#", "IP", "MAC", "NAME"}));
    const QHeaderView* header = list->horizontalHeader();
    QCOMPARE(header->sectionSize(0), 30);
    QCOMPARE(header->sectionSize(1), 150);
    QCOMPARE(header->sectionSize(2), 200);
    QCOMPARE(header->sectionSize(3), list->viewport()->width() - 380);
    QCOMPARE(model->rowCount(), 0);
}

void TestUbrixVorelNet::nothingScansBeforeRescan() {
    PaperLan lan;
    auto record = lan.record;
    CUbrixVorelNet view(std::move(lan.scanner), [] { return address("10.0.0.1"); });
    view.show();
    view.OnInitialUpdate();
    QTest::qWait(50);
    QCOMPARE(record->beginCount(), 0);
    QVERIFY(record->sentCopy().isEmpty());
}

void TestUbrixVorelNet::rescanListsTheHosts() {
    PaperLan lan;
    lan.probe->addOwnAddress(address("192.168.5.77"), macOf(77));
    lan.probe->addHost(address("192.168.5.1"), macOf(1), 300ms);
    lan.probe->addHost(address("192.168.5.130"), macOf(130), 0ms);
    lan.probe->addHost(address("192.168.5.254"), macOf(254), 20ms);
    lan.names->addName(address("192.168.5.1"), QStringLiteral("router"));
    auto record = lan.record;
    CUbrixVorelNet view(std::move(lan.scanner), [] { return address("192.168.5.77"); });
    view.show();
    QSignalSpy inserted(namedChild<CLanScanModel>(view, "scanModel"),
                        &QAbstractItemModel::rowsInserted);

    QTest::mouseClick(namedChild<QPushButton>(view, "rescan"), Qt::LeftButton);
    QVERIFY(namedChild<QProgressBar>(view, "progress")->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(lanview::scanIsOver(view), kWatchdogMs);

    QCOMPARE(lanview::rowTexts(*namedChild<CLanScanModel>(view, "scanModel")),
             (QStringList{
                 "1|192.168.5.1|[00:1A:2B:3C:4D:01]|router",
                 "2|192.168.5.77|[00:1A:2B:3C:4D:4D]|",
                 "3|192.168.5.130|[00:1A:2B:3C:4D:82]|",
                 "4|192.168.5.254|[00:1A:2B:3C:4D:FE]|",
             }));
    QCOMPARE(namedChild<QProgressBar>(view, "progress")->value(), 254);
    QCOMPARE(record->sourcesCopy(), QList<quint32>{address("192.168.5.77")});
    // Rows arrive in batches, not one insertion per address.
    QVERIFY(inserted.size() <= 4);
}

void TestUbrixVorelNet::rescanTwiceLeavesOneFreshList() {
    PaperLan lan;
    lan.probe->addHost(address("10.0.0.2"), macOf(2));
    lan.probe->addHost(address("10.0.0.3"), macOf(3));
    auto record = lan.record;
    CUbrixVorelNet view(std::move(lan.scanner), [] { return address("10.0.0.1"); });
    view.show();

    // The first scan's reports are still queued when the second starts.
    namedChild<QPushButton>(view, "rescan")->click();
    namedChild<QPushButton>(view, "rescan")->click();
    QTRY_VERIFY_WITH_TIMEOUT(lanview::scanIsOver(view), kWatchdogMs);
    QCoreApplication::processEvents();
    QCOMPARE(record->beginCount(), 2);
    QCOMPARE(lanview::rowTexts(*namedChild<CLanScanModel>(view, "scanModel")),
             (QStringList{"1|10.0.0.2|[00:1A:2B:3C:4D:02]|", "2|10.0.0.3|[00:1A:2B:3C:4D:03]|"}));
}

void TestUbrixVorelNet::rescanAfterAScanStartsAfresh() {
    PaperLan lan;
    lan.probe->addHost(address("10.0.0.9"), macOf(9));
    CUbrixVorelNet view(std::move(lan.scanner), [] { return address("10.0.0.1"); });
    view.show();
    namedChild<QPushButton>(view, "rescan")->click();
    QTRY_VERIFY_WITH_TIMEOUT(lanview::scanIsOver(view), kWatchdogMs);
    QCOMPARE(namedChild<CLanScanModel>(view, "scanModel")->rowCount(), 1);

    namedChild<QPushButton>(view, "rescan")->click();
    QCOMPARE(namedChild<CLanScanModel>(view, "scanModel")->rowCount(), 0);  // emptied at once
    QVERIFY(namedChild<QProgressBar>(view, "progress")->isVisible());
    QCOMPARE(namedChild<QProgressBar>(view, "progress")->value(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(lanview::scanIsOver(view), kWatchdogMs);
    QCOMPARE(lanview::rowTexts(*namedChild<CLanScanModel>(view, "scanModel")),
             QStringList{"1|10.0.0.9|[00:1A:2B:3C:4D:09]|"});
}

void TestUbrixVorelNet::adapterIsAskedAtEachRescan() {
    PaperLan lan;
    auto record = lan.record;
    quint32 selected = address("10.0.0.1");
    CUbrixVorelNet view(std::move(lan.scanner), [&selected] { return selected; });
    view.show();
    namedChild<QPushButton>(view, "rescan")->click();
    QTRY_VERIFY_WITH_TIMEOUT(lanview::scanIsOver(view), kWatchdogMs);
    selected = address("172.16.9.40");  // Network Setup chose another adapter meanwhile
    namedChild<QPushButton>(view, "rescan")->click();
    QTRY_VERIFY_WITH_TIMEOUT(lanview::scanIsOver(view), kWatchdogMs);
    QCOMPARE(record->sourcesCopy(), (QList<quint32>{address("10.0.0.1"), address("172.16.9.40")}));
    QCOMPARE(CIpv4Address::toDotted(record->sentCopy().back().address), QByteArray("172.16.9.254"));
}

void TestUbrixVorelNet::nameColumnTakesTheRestOfTheWidth() {
    PaperLan lan;
    CUbrixVorelNet view(std::move(lan.scanner), [] { return address("10.0.0.1"); });
    view.resize(700, 400);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QHeaderView* header = namedChild<QTableView>(view, "scan")->horizontalHeader();
    const QWidget* viewport = namedChild<QTableView>(view, "scan")->viewport();
    QCOMPARE(header->sectionSize(3), viewport->width() - 380);

    view.resize(1000, 400);
    QTRY_COMPARE(header->sectionSize(3), viewport->width() - 380);
    QVERIFY(viewport->width() > 600);

    // A widened first column: the name column gives way after the next probe.
    header->resizeSection(0, 80);
    namedChild<QPushButton>(view, "rescan")->click();
    QTRY_VERIFY_WITH_TIMEOUT(lanview::scanIsOver(view), kWatchdogMs);
    QCOMPARE(header->sectionSize(3), viewport->width() - 430);

    // Narrower than the first three columns: nothing left for the name.
    view.resize(200, 400);
    QTRY_COMPARE(header->sectionSize(3), 0);
}

void TestUbrixVorelNet::documentUpdatesAreIgnored() {
    PaperLan lan;
    lan.probe->addHost(address("10.0.0.4"), macOf(4));
    CUbrixVorelNet view(std::move(lan.scanner), [] { return address("10.0.0.1"); });
    view.show();
    namedChild<QPushButton>(view, "rescan")->click();
    QTRY_VERIFY_WITH_TIMEOUT(lanview::scanIsOver(view), kWatchdogMs);
    const QStringList before = lanview::rowTexts(*namedChild<CLanScanModel>(view, "scanModel"));
    for (const quint32 hint : {0u, 1u, 2u, 8u, 16u, 32u}) {
        view.OnUpdate(hint);
    }
    QCOMPARE(lanview::rowTexts(*namedChild<CLanScanModel>(view, "scanModel")), before);
    QCOMPARE(namedChild<QLineEdit>(view, "status")->text(), QStringLiteral(" "));
}

void TestUbrixVorelNet::leavingTheViewMidScan() {
    PaperLan lan(true);
    lan.probe->addHost(address("10.0.0.2"), macOf(2));
    auto record = lan.record;
    auto* view = new CUbrixVorelNet(std::move(lan.scanner), [] { return address("10.0.0.1"); });
    view->show();
    namedChild<QPushButton>(*view, "rescan")->click();
    QTRY_COMPARE_WITH_TIMEOUT(namedChild<QLineEdit>(*view, "status")->text(),
                              QStringLiteral("10.0.0.1"), kWatchdogMs);
    QCOMPARE(record->endCount(), 0);  // still scanning: nobody else answers for an hour

    delete view;  // a view switch
    QCOMPARE(record->endCount(), 1);
    QVERIFY(record->isDestroyed());
    // Reports that were on their way find nobody and are dropped (a sanitizer build
    // would see any use of the view or the scanner after this point).
    QCoreApplication::processEvents();
}

void TestUbrixVorelNet::leavingTheViewByDeleteLaterMidScan() {
    PaperLan lan(true);
    auto record = lan.record;
    QPointer<CUbrixVorelNet> view =
        new CUbrixVorelNet(std::move(lan.scanner), [] { return address("10.0.0.1"); });
    view->show();
    namedChild<QPushButton>(*view, "rescan")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!record->sentCopy().isEmpty(), kWatchdogMs);
    view->deleteLater();
    QTRY_VERIFY_WITH_TIMEOUT(view.isNull(), kWatchdogMs);
    QCOMPARE(record->endCount(), 1);
    QVERIFY(record->isDestroyed());
}

void TestUbrixVorelNet::modelIsAProperModel() {
    CLanScanModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.appendRows({});
    QCOMPARE(model.rowCount(), 0);
    model.appendRows({CLanScanRow{1, address("10.0.0.2"), macOf(2), QStringLiteral("a")},
                      CLanScanRow{2, address("10.0.0.7"), macOf(7), QString()}});
    model.appendRows({CLanScanRow{3, address("10.0.0.9"), macOf(9), QStringLiteral("c")}});
    QCOMPARE(lanview::rowTexts(model),
             (QStringList{"1|10.0.0.2|[00:1A:2B:3C:4D:02]|a", "2|10.0.0.7|[00:1A:2B:3C:4D:07]|",
                          "3|10.0.0.9|[00:1A:2B:3C:4D:09]|c"}));
    QVERIFY(!model.index(0, 4).isValid());
    QVERIFY(!model.data(model.index(0, 0), Qt::EditRole).isValid());
    model.clear();
    QCOMPARE(model.rowCount(), 0);
    model.clear();

    // The view's own model under a whole scan.
    PaperLan lan;
    for (int host = 1; host <= 254; host += 3) {
        lan.probe->addHost(CIpv4Address::fromHostOrder(0x0A000000u | host), macOf(host),
                           std::chrono::milliseconds(host * 7));
    }
    CUbrixVorelNet view(std::move(lan.scanner), [] { return address("10.0.0.1"); });
    QAbstractItemModelTester viewTester(namedChild<CLanScanModel>(view, "scanModel"),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
    namedChild<QPushButton>(view, "rescan")->click();
    QTRY_VERIFY_WITH_TIMEOUT(lanview::scanIsOver(view), kWatchdogMs);
    QCOMPARE(namedChild<CLanScanModel>(view, "scanModel")->rowCount(), 85);
    QCOMPARE(namedChild<CLanScanModel>(view, "scanModel")->index(84, 0).data().toString(),
             QStringLiteral("85"));
    QCOMPARE(namedChild<CLanScanModel>(view, "scanModel")->index(84, 1).data().toString(),
             QStringLiteral("10.0.0.253"));
}

QTEST_MAIN(TestUbrixVorelNet)
#include "TestUbrixVorelNet.moc"
