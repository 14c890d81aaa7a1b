#include "core/common/CQtTimerSource.h"
#include "core/document/CUbrixVorelDoc.h"
#include "core/project/CProjectTreeModel.h"
#include "core/protocol/CCommands.h"
#include "core/sequence/CSequencer.h"
#include "core/settings/CSettings.h"
#include "core/transport/CAdapterTable.h"
#include "core/transport/CIpv4Address.h"
#include "core/transport/CTransport.h"
#include "core/upload/CUploadRun.h"
#include "gui/base/CDialogService.h"
#include "gui/base/CModalRunner.h"
#include "gui/base/CViewContext.h"
#include "gui/base/CViewState.h"
#include "gui/base/CommandIds.h"
#include "gui/shell/CMainFrame.h"
#include "gui/upload/CUploadDialog.h"
#include "gui/upload/CUploadLauncher.h"
#include "gui/upload/CUploadPreviewDlg.h"
#include "gui/views/CUbrixVorelMap.h"
#include "sim/CSimNetwork.h"
#include "sim/CSimSiteBuilder.h"
#include "support/CDocFixture.h"
#include "support/CTestLan.h"
#include "support/NamedChild.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QEventLoop>
#include <QFile>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <memory>
#include <optional>

namespace {

constexpr int kWatchdogMs = 60000;
const quint32 kGateway1 = CIpv4Address::fromDotted("127.0.0.2");
const quint32 kGateway2 = CIpv4Address::fromDotted("127.0.0.3");
const quint32 kGateway3 = CIpv4Address::fromDotted("127.0.0.4");

// The texts of a preview's rows: "device | setting | what happens".
QStringList previewRows(const CUploadPreviewDlg& preview) {
    QStringList rows;
    QTreeWidget* tree = namedChild<QTreeWidget>(preview, "rows");
    for (int d = 0; d < tree->topLevelItemCount(); ++d) {
        const QTreeWidgetItem* device = tree->topLevelItem(d);
        rows.append(device->text(0) + " | " + device->text(3));
        for (int s = 0; s < device->childCount(); ++s) {
            rows.append(device->text(0) + " | " + device->child(s)->text(0) + " | " +
                        device->child(s)->text(3));
        }
    }
    return rows;
}

// The commands a preview says will be sent, in order.
QList<QByteArray> previewCommands(const CUploadPreviewDlg& preview) {
    QList<QByteArray> commands;
    QTreeWidget* tree = namedChild<QTreeWidget>(preview, "rows");
    for (int d = 0; d < tree->topLevelItemCount(); ++d) {
        for (int s = 0; s < tree->topLevelItem(d)->childCount(); ++s) {
            const QString command = tree->topLevelItem(d)->child(s)->text(4);
            if (!command.isEmpty()) {
                commands.append(command.toLatin1());
            }
        }
    }
    return commands;
}

// The commands the site received that set something (no query, no arming), in order.
QList<QByteArray> setsReceived(CSimNetwork& network) {
    QList<QByteArray> sets;
    for (const CSimCommandJournal::Entry& entry : network.journal().entries()) {
        if (!entry.text.contains('?') && !entry.text.startsWith("#uid=")) {
            sets.append(entry.text);
        }
    }
    return sets;
}

QByteArray value(CSimNetwork& network, int gateway, std::optional<quint32> uid, const char* path) {
    return network.withSite([&](CSimSite& site) {
        const CSettingAddress place = CSettingAddress::parseWellFormed(path).value();
        CSimGateway& owner = site.gateways()[gateway];
        return uid ? owner.deviceByUid(*uid)->settings().value(place)
                   : owner.settings().value(place);
    });
}

}  // namespace

// The upload dialogs against a simulated site on loopback, end to end: the preview and its
// confirmation, the boxes through the dialog service, the discover prompt, Stop and Esc, and
// the site holding the project's values afterwards.
class TestUploadDialogs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void noProjectSaysNoTemplateLoaded();
    void gatewayUploadPreviewsThenUploads();
    void busUploadBringsADeviceOnWithItsButton();
    void busUploadGoesEveryBusAtOnce_data();
    void busUploadGoesEveryBusAtOnce();
    void cancelAtThePreviewSendsNoSetting();
    void escapeStopsTheRunAndTheDialogCloses();
    void mapViewUploadOpensTheDialogOfItsMode();
    void uploadTakesThePacingChosenAtThePreview();

private:
    void startSite(int devicesPerGateway);
    void setProject(const QByteArray& devices);
    // Runs the dialogs modally; preview decides how the preview is answered.
    int openUpload(int previewAnswer = QDialog::Accepted);

    std::unique_ptr<CDocFixture> m_doc;
    std::unique_ptr<CTransport> m_transport;
    std::unique_ptr<CQtTimerSource> m_timers;
    std::unique_ptr<CSequencer> m_sequencer;
    std::unique_ptr<CSimNetwork> m_network;
    CViewState m_state;
    QStringList m_preview;
    QList<QByteArray> m_previewCommands;
    // What the preview's pacing choice offered, and what the test chooses (none: leave it).
    bool m_offeredPacedByReplies = false;
    std::optional<bool> m_choosePacedByReplies;
    std::optional<CPacing> m_uploadPacing;
    QList<QByteArray> m_logAtEnd;
    std::function<void(CUploadDialog&)> m_whileRunning;
};

void TestUploadDialogs::initTestCase() {
    const QString why = CTestLan::isolateProcess();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
}

void TestUploadDialogs::init() {
    m_doc = std::make_unique<CDocFixture>();
    // The dialogs' own flow: a silent device is asked once, as it always was.
    m_doc->settings().retries = 0;
    m_transport =
        std::make_unique<CTransport>(m_doc->notifier(), m_doc->clock(), m_doc->doc().inboundQueue(),
                                     m_doc->doc().firewallSuspect());
    CAdapterTable table = CAdapterTable::fromCandidates({});
    table.addDemoAdapter();
    m_transport->setAdapters(table);
    connect(m_transport.get(), &CTransport::rxQueued, this, [this] {
        while (!m_doc->doc().inboundQueue().isEmpty()) {
            m_doc->doc().AddMsg();
        }
    });
    m_timers = std::make_unique<CQtTimerSource>();
    m_sequencer = std::make_unique<CSequencer>(*m_timers);
    m_sequencer->watch(m_doc->doc());
    CDialogService::enableTestHook();
    m_preview.clear();
    m_whileRunning = nullptr;
    m_choosePacedByReplies.reset();
    m_uploadPacing.reset();
}

void TestUploadDialogs::cleanup() {
    CModalRunner::clearTestRunner();
    CDialogService::disableTestHook();
    m_sequencer.reset();
    m_transport.reset();
    m_network.reset();
    m_doc.reset();
    m_state.mapMode = CProjectTreeModel::kDeviceMode;
    m_state.keypads = CKeypadAddressBlock{};
    m_state.status.say(QString());
}

void TestUploadDialogs::startSite(int devicesPerGateway) {
    auto models = std::make_shared<CSimModels>();
    QString error;
    QVERIFY2(models->load(testsupport::runtimePath(QString()), error), qPrintable(error));
    CSimSiteConfig config;
    config.addresses = {kGateway1, kGateway2, kGateway3};
    config.gatewayTypes = {"UBRIX_A"};
    config.deviceTypes = {"LUMET_BC"};
    config.devicesPerGateway = devicesPerGateway;
    config.unaddressedPerGateway = devicesPerGateway > 0 ? 1 : 0;
    auto site = CSimSiteBuilder::build(models, config, error);
    QVERIFY2(site, qPrintable(error));
    CSimNetwork::Options options;
    options.limitedBroadcast = false;
    options.allowedNetwork = CIpv4Address::fromDotted("127.0.0.0");
    options.allowedMask = CIpv4Address::fromDotted("255.0.0.0");
    m_network = std::make_unique<CSimNetwork>(std::move(*site), options);
    QVERIFY2(m_network->start(error), qPrintable(error));
    m_transport->StartTransport();
}

void TestUploadDialogs::setProject(const QByteArray& devices) {
    const QString path = m_doc->path(QStringLiteral("project.xml"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<Plan><Device_Configuration>" + devices +
               "</Device_Configuration><Network_Configuration/></Plan>");
    file.close();
    QVERIFY(m_doc->doc().openProject(path));
}

int TestUploadDialogs::openUpload(int previewAnswer) {
    CModalRunner::setTestRunner([this, previewAnswer](QDialog& dialog) {
        if (auto* preview = qobject_cast<CUploadPreviewDlg*>(&dialog)) {
            m_preview = previewRows(*preview);
            m_previewCommands = previewCommands(*preview);
            m_offeredPacedByReplies =
                namedChild<QCheckBox>(*preview, "pacedByReplies")->isChecked();
            if (m_choosePacedByReplies) {
                namedChild<QCheckBox>(*preview, "pacedByReplies")
                    ->setChecked(*m_choosePacedByReplies);
            }
            return previewAnswer;
        }
        auto* upload = qobject_cast<CUploadDialog*>(&dialog);
        if (upload == nullptr) {
            qFatal("unexpected dialog %s", qPrintable(dialog.windowTitle()));
        }
        QEventLoop loop;
        connect(upload, &QDialog::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(kWatchdogMs, &loop, &QEventLoop::quit);
        QTimer poll;
        if (m_whileRunning) {
            connect(&poll, &QTimer::timeout, upload, [this, upload] { m_whileRunning(*upload); });
            poll.start(20);
        }
        if (upload->phase() != CUploadDialog::Phase::Over) {
            loop.exec();
        }
        if (upload->run() != nullptr && !upload->run()->options().dryRun) {
            m_uploadPacing = upload->run()->options().pacing;
        }
        m_logAtEnd.clear();
        for (const QByteArray& line : m_doc->doc().trafficHistory()) {
            if (!line.startsWith('[')) {
                m_logAtEnd.append(line);
            }
        }
        return upload->result();
    });
    const CViewContext context{m_doc->doc(), *m_transport, m_doc->settings(), *m_sequencer,
                               m_state};
    return CUploadLauncher::open(context, nullptr);
}

void TestUploadDialogs::noProjectSaysNoTemplateLoaded() {
    CDialogService::setNextAnswer(QMessageBox::Ok);
    const CViewContext context{m_doc->doc(), *m_transport, m_doc->settings(), *m_sequencer,
                               m_state};
    QCOMPARE(CUploadLauncher::open(context, nullptr), 1);
    QCOMPARE(CDialogService::askedTexts(), QStringList{"No Template loaded"});
}

void TestUploadDialogs::gatewayUploadPreviewsThenUploads() {
    startSite(0);
    CSimDeviceFaults silent;
    silent.silent = true;
    m_network->withSite([&](CSimSite& site) { site.setDeviceFaults(2, std::nullopt, silent); });
    setProject(
        "<UBRIX IP='127.0.0.2'><TYPE>UBRIX_A</TYPE><NAME>Hall</NAME>"
        "<TELNET><TIMEOUT>60</TIMEOUT><STATE>MAYBE</STATE></TELNET>"
        "<UDP><LISTEN_PORT>99999</LISTEN_PORT></UDP>"
        "<PORT P='C'><SERIAL><TYPE>RS485</TYPE></SERIAL></PORT></UBRIX>"
        "<UBRIX IP='127.0.0.3'><TYPE>UBRIX_A</TYPE><NAME>Lobby</NAME></UBRIX>"
        "<UBRIX IP='127.0.0.4'><TYPE>UBRIX_A</TYPE><NAME>Gone</NAME></UBRIX>");
    m_state.mapMode = CProjectTreeModel::kGatewayMode;
    CDialogService::setNextAnswer(QMessageBox::Ok);  // the silent gateway's box
    CDialogService::setNextAnswer(QMessageBox::Ok);  // the summary

    QCOMPARE(openUpload(), 0);

    QVERIFY(m_preview.contains("IP 127.0.0.2 | NAME | to send"));
    QVERIFY(m_preview.contains("IP 127.0.0.2 | TELNET.STATE | skipped: not an option"));
    QVERIFY(m_preview.contains("IP 127.0.0.2 | C.SERIAL.TYPE | to send"));
    QVERIFY(
        m_preview.contains("IP 127.0.0.2 | UDP.LISTEN_PORT | skipped: invalid value "
                           "(UDP.LISTEN_PORT: 99999 is above 65535 (a port 1-65535))"));
    QVERIFY(m_preview.contains("IP 127.0.0.4 | not found"));
    const QStringList asked = CDialogService::askedTexts();
    QCOMPARE(asked.size(), 2);
    QCOMPARE(asked[0], QStringLiteral("Upload Error: Ubrix 127.0.0.4  not found on network\n"));
    QVERIFY2(asked[1].startsWith("Upload complete.\nSent: 4, confirmed by echo: 4, without echo: "
                                 "0\nMatched: 2, not applied: 2"),
             qPrintable(asked[1]));
    QVERIFY2(m_state.status.text().endsWith(
                 ": Upload complete. Sent: 4, confirmed by echo: 4, without echo: 0"),
             qPrintable(m_state.status.text()));
    QVERIFY(asked[1].contains("IP 127.0.0.4: not found"));
    // The preview's commands are exactly what the gateways received (all at the same time,
    // each in its order).
    QList<QByteArray> received = setsReceived(*m_network);
    QList<QByteArray> previewed = m_previewCommands;
    std::sort(received.begin(), received.end());
    std::sort(previewed.begin(), previewed.end());
    QCOMPARE(received, previewed);
    QCOMPARE(m_network->journal().textsHeardBy(kGateway1),
             QList<QByteArray>(
                 {"&=?", "&=?", "&NAME=Hall", "&TELNET.TIMEOUT=60", "&C.SERIAL.TYPE=RS485"}));
    QCOMPARE(value(*m_network, 0, std::nullopt, "NAME"), QByteArray("Hall"));
    QCOMPARE(value(*m_network, 0, std::nullopt, "TELNET.TIMEOUT"), QByteArray("60"));
    QCOMPARE(value(*m_network, 0, std::nullopt, "C.SERIAL.TYPE"), QByteArray("RS485"));
    QCOMPARE(value(*m_network, 1, std::nullopt, "NAME"), QByteArray("Lobby"));
    QCOMPARE(m_logAtEnd.front(), QByteArray("->Upload Start"));
    QVERIFY(
        m_logAtEnd.contains("->Upload object miss match: Ubrix 1 template-> Hall device-> "
                            "Ubrix 1"));
}

void TestUploadDialogs::busUploadBringsADeviceOnWithItsButton() {
    startSite(4);  // UIDs 1-3 on each bus; serial 100004 on gateway 1 has no UID yet
    CSimDeviceFaults silent;
    silent.silent = true;
    m_network->withSite([&](CSimSite& site) { site.setDeviceFaults(0, 2, silent); });
    setProject(
        "<DEVICE UID='1'><TYPE>LUMET_BC</TYPE><ALIAS>Desk</ALIAS><PORT P='A'><LED>"
        "<DISSOLVE>25</DISSOLVE><MODE>FAST</MODE></LED></PORT></DEVICE>"
        "<DEVICE UID='2'><TYPE>LUMET_BC</TYPE><ALIAS>Silent</ALIAS></DEVICE>"
        "<DEVICE UID='50'><TYPE>LUMET_BC</TYPE><ALIAS>New</ALIAS></DEVICE>");
    m_state.mapMode = CProjectTreeModel::kDeviceMode;
    CDialogService::setNextAnswer(QMessageBox::No);   // UID 2, silent
    CDialogService::setNextAnswer(QMessageBox::Yes);  // UID 50: the button gets pressed
    CDialogService::setNextAnswer(QMessageBox::Ok);   // the summary
    bool pressed = false;
    m_whileRunning = [this, &pressed](CUploadDialog&) {
        const bool armed = m_network->withSite(
            [](CSimSite& site) { return site.gateways()[0].armedUid() == 50u; });
        if (armed && !pressed) {
            pressed = m_network->pressDiscoverButton(0, 100004);
        }
    };

    QCOMPARE(openUpload(), 0);

    QVERIFY(pressed);
    QVERIFY(m_preview.contains("UID 2 | not found"));
    QVERIFY(m_preview.contains("UID 50 | not found"));
    QVERIFY(m_preview.contains("UID 1 | A.LED.MODE | skipped: not an option"));
    const QStringList asked = CDialogService::askedTexts();
    QCOMPARE(asked.size(), 3);
    QVERIFY(asked[0].startsWith("->Upload Error: UID 2 not found on network\nPress discover"));
    QVERIFY(asked[1].startsWith("->Upload Error: UID 50 not found on network\nPress discover"));
    QVERIFY2(asked[2].contains("Sent: 3, confirmed by echo: 3"), qPrintable(asked[2]));
    QVERIFY(asked[2].contains("UID 2: passed over"));
    QCOMPARE(value(*m_network, 0, 1u, "ALIAS"), QByteArray("Desk"));
    QCOMPARE(value(*m_network, 0, 1u, "A.LED.DISSOLVE"), QByteArray("25"));
    QCOMPARE(value(*m_network, 0, 50u, "ALIAS"), QByteArray("New"));
    QVERIFY(!m_logAtEnd.contains("->Upload Warning: gateways still armed for UID 50"));
    // Every command went to every gateway, the preview's only queries.
    for (const CSimCommandJournal::Entry& entry : m_network->journal().entries()) {
        QVERIFY(entry.broadcast);
    }
    QCOMPARE(m_network->journal().textsHeardBy(kGateway1),
             QList<QByteArray>({"#uid1=?;", "#uid2=?;", "#uid50=?;", "#uid1=?;", "#UID1.ALIAS=Desk",
                                "#UID1.A.LED.DISSOLVE=25", "#uid2=?;", "#uid=2;", "#uid50=?;",
                                "#uid=50;", "#uid50=?;", "#UID50.ALIAS=New"}));
}

void TestUploadDialogs::busUploadGoesEveryBusAtOnce_data() {
    QTest::addColumn<int>("concurrent");     // [UPLOAD] Concurrent
    QTest::addColumn<QStringList>("shown");  // in the window, at some moment
    QTest::newRow("every bus at once: each bus's device, the site's count")
        << 1 << QStringList{"Devices done: ", "127.0.0.2: UID ", "127.0.0.3: UID "};
    QTest::newRow("one device after another: the device") << 0 << QStringList{"UID: "};
}

void TestUploadDialogs::busUploadGoesEveryBusAtOnce() {
    QFETCH(int, concurrent);
    QFETCH(QStringList, shown);
    startSite(4);  // UIDs 1-3 behind the first gateway, 5-7 behind the second
    QVERIFY(m_transport->SendText(CCommands::busRegister(), CIpv4Address::kBroadcast));
    QTRY_VERIFY(!m_doc->doc().plan().select_nodes("//UBRIX[@IP='127.0.0.3']/DEVICE").empty());
    QByteArray project;
    for (const int uid : {1, 2, 3, 5, 6, 7}) {
        project += "<DEVICE UID='" + QByteArray::number(uid) +
                   "'><TYPE>LUMET_BC</TYPE><ALIAS>Room" + QByteArray::number(uid) +
                   "</ALIAS></DEVICE>";
    }
    setProject(project);
    m_doc->settings().uploadConcurrent = concurrent;
    m_state.mapMode = CProjectTreeModel::kDeviceMode;
    CDialogService::setNextAnswer(QMessageBox::Ok);  // the summary
    QStringList seen;
    m_whileRunning = [&seen](CUploadDialog& dialog) {
        seen << namedChild<QPlainTextEdit>(dialog, "device")->toPlainText();
    };
    QCOMPARE(openUpload(), 0);
    const QString all = seen.join(QLatin1Char('\n'));
    const bool together = std::any_of(seen.begin(), seen.end(), [&shown](const QString& text) {
        return std::all_of(shown.begin(), shown.end(),
                           [&text](const QString& part) { return text.contains(part); });
    });
    QVERIFY2(together, qPrintable(all));
    QCOMPARE(all.contains(QStringLiteral("Devices done")), concurrent != 0);
    QVERIFY(CDialogService::askedTexts().back().contains("Sent: 6, confirmed by echo: 6"));
    QCOMPARE(value(*m_network, 1, 7u, "ALIAS"), QByteArray("Room7"));
}

void TestUploadDialogs::cancelAtThePreviewSendsNoSetting() {
    startSite(0);
    setProject("<UBRIX IP='127.0.0.2'><TYPE>UBRIX_A</TYPE><NAME>Hall</NAME></UBRIX>");
    m_state.mapMode = CProjectTreeModel::kGatewayMode;
    QCOMPARE(openUpload(QDialog::Rejected), 0);
    QCOMPARE(m_preview, QStringList({"IP 127.0.0.2 | compared", "IP 127.0.0.2 | TYPE | already set",
                                     "IP 127.0.0.2 | NAME | to send"}));
    QVERIFY(CDialogService::askedTexts().isEmpty());
    QVERIFY(m_state.status.text().endsWith(": nothing sent, the preview was not confirmed."));
    QCOMPARE(value(*m_network, 0, std::nullopt, "NAME"), QByteArray("Ubrix 1"));
    QVERIFY(m_logAtEnd.isEmpty());
}

void TestUploadDialogs::escapeStopsTheRunAndTheDialogCloses() {
    startSite(0);
    setProject("<UBRIX IP='127.0.0.9'><TYPE>UBRIX_A</TYPE><NAME>Gone</NAME></UBRIX>");
    m_state.mapMode = CProjectTreeModel::kGatewayMode;
    m_whileRunning = [](CUploadDialog& dialog) {
        if (dialog.run() != nullptr && dialog.run()->isRunning()) {
            QTest::keyClick(&dialog, Qt::Key_Escape);
        }
    };
    QCOMPARE(openUpload(), 0);
    QVERIFY(m_preview.isEmpty());
    QVERIFY(CDialogService::askedTexts().isEmpty());
}

void TestUploadDialogs::mapViewUploadOpensTheDialogOfItsMode() {
    startSite(0);
    setProject("<UBRIX IP='127.0.0.2'><TYPE>UBRIX_A</TYPE><NAME>Ubrix 1</NAME></UBRIX>");
    const CViewContext context{m_doc->doc(), *m_transport, m_doc->settings(), *m_sequencer,
                               m_state};
    CMainFrame frame(context, false);
    QStringList opened;
    CModalRunner::setTestRunner([&opened](QDialog& dialog) {
        opened.append(dialog.windowTitle());
        if (qobject_cast<CUploadPreviewDlg*>(&dialog) != nullptr) {
            return int(QDialog::Rejected);
        }
        QEventLoop loop;
        connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(kWatchdogMs, &loop, &QEventLoop::quit);
        loop.exec();
        return dialog.result();
    });
    for (const int mode : {1, 0}) {
        m_state.mapMode = mode;
        frame.runCommand(vorel::cmd::kViewProject);
        auto* map = qobject_cast<CUbrixVorelMap*>(frame.activeView());
        QVERIFY(map != nullptr);
        QVERIFY(namedChild<QPushButton>(*map, "upload")->isEnabled());
        namedChild<QPushButton>(*map, "upload")->click();
    }
    QCOMPARE(opened,
             QStringList({"Ubrix Configure", "Upload preview", "Up Load", "Upload preview"}));
}

void TestUploadDialogs::uploadTakesThePacingChosenAtThePreview() {
    startSite(0);
    setProject("<UBRIX IP='127.0.0.2'><TYPE>UBRIX_A</TYPE><NAME>Hall</NAME></UBRIX>");
    m_state.mapMode = CProjectTreeModel::kGatewayMode;
    CDialogService::setNextAnswer(QMessageBox::Ok);  // the summary
    m_choosePacedByReplies = false;

    QCOMPARE(openUpload(), 0);

    QVERIFY(m_offeredPacedByReplies);  // the program's default
    QCOMPARE(m_uploadPacing, std::optional<CPacing>(CPacing::Fixed));
    QCOMPARE(m_doc->settings().pacing, 0);
    QCOMPARE(m_sequencer->defaultPacing(), CPacing::Fixed);
    QCOMPARE(value(*m_network, 0, std::nullopt, "NAME"), QByteArray("Hall"));
    QVERIFY2(CDialogService::askedTexts().value(0).contains("Sent: 1, confirmed by echo: 1"),
             qPrintable(CDialogService::askedTexts().value(0)));

    // The next upload offers what was chosen.
    m_choosePacedByReplies.reset();
    CDialogService::setNextAnswer(QMessageBox::Ok);
    QCOMPARE(openUpload(), 0);
    QVERIFY(!m_offeredPacedByReplies);
    QCOMPARE(m_uploadPacing, std::optional<CPacing>(CPacing::Fixed));
}

QTEST_MAIN(TestUploadDialogs)
#include "TestUploadDialogs.moc"
