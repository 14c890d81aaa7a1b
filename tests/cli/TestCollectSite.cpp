#include "support/CDocFixture.h"
#include "support/CProgramRun.h"
#include "support/CTestLan.h"
#include "support/TestSupport.h"

#include "core/address/CSettingAddress.h"
#include "core/common/CXmlFile.h"
#include "core/plan/CValidationSchema.h"
#include "core/transport/CIpv4Address.h"
#include "sim/CSimCommand.h"
#include "sim/CSimModels.h"
#include "sim/CSimSiteBuilder.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kSim = testsupport::runtimePath(QStringLiteral("vorel-sim"));
const QString kCli = testsupport::runtimePath(QStringLiteral("vorel-cli"));
constexpr int kGateways = 3;
constexpr int kDevices = 20;
const char* const kFirstGateway = "127.0.0.11";

using Run = CProgramRun;

Run runCli(const QStringList& arguments) {
    return CProgramRun::of(kCli, arguments);
}

// Every setting below the element as "path=value", sorted.
QStringList settingsOf(const pugi::xml_node& element, const QString& path = {}) {
    QStringList settings;
    for (const pugi::xml_attribute& attribute : element.attributes()) {
        settings << path + QLatin1Char('@') + QString::fromUtf8(attribute.name()) +
                        QLatin1Char('=') + QString::fromUtf8(attribute.value());
    }
    for (const pugi::xml_node& child : element.children()) {
        if (child.type() == pugi::node_pcdata) {
            settings << path + QLatin1Char('=') + QString::fromUtf8(child.value());
        } else if (child.type() == pugi::node_element) {
            settings << settingsOf(child,
                                   path + QLatin1Char('/') + QString::fromUtf8(child.name()));
        }
    }
    settings.sort();
    return settings;
}

}  // namespace

// The whole road on one machine: vorel-sim plays a site of 3 gateways with 20 devices
// each on loopback, vorel-cli collects it into a map file, and the map holds every
// gateway, every device and every setting they reported.
class TestCollectSite : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void collectGivesTheWholeSite();
    void collectThroughLossGivesTheWholeSite();
    void discoverListsGateways();
    void nothingAnswersGivesExitCode3();
    void cleanupTestCase();

private:
    // The map in the file holds every gateway, device and setting of the simulated site.
    static void verifyWholeSite(const QString& map);

    QString m_skip;
    QProcess m_sim;
    QTemporaryDir m_dir;
};

void TestCollectSite::initTestCase() {
    m_skip = CTestLan::isolateProcess();
    if (!m_skip.isEmpty()) {
        QSKIP(qPrintable(m_skip));
    }
    m_sim.start(kSim, {"--gateways", QString::number(kGateways), "--devices",
                       QString::number(kDevices), "--base-address", kFirstGateway, "--quiet"});
    QVERIFY2(m_sim.waitForStarted(10000), qPrintable(m_sim.errorString()));
    // The site is up once all its gateways answer a discovery.
    Run discovery;
    for (int attempt = 0; attempt < 50 && discovery.out.count('\n') < kGateways; ++attempt) {
        discovery = runCli({"discover", "--loopback", "--wait-ms", "500"});
    }
    QCOMPARE(discovery.out.count('\n'), kGateways);
}

void TestCollectSite::cleanupTestCase() {
    if (m_sim.state() != QProcess::NotRunning) {
        m_sim.kill();
        m_sim.waitForFinished(5000);
    }
}

void TestCollectSite::collectGivesTheWholeSite() {
    const QString map = m_dir.filePath(QStringLiteral("site.xml"));
    const Run run = runCli({"collect", "--loopback", "--map", map});
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QVERIFY(run.err.contains("3 gateway(s) and 60 bus device(s) saved to"));
    verifyWholeSite(map);
}

// The same site on ports of its own, losing one datagram in twenty each way, and two
// devices whose announcement is always lost (one of them the highest UID): the repeats
// and the roll call still bring every setting, and collect says nothing is missing.
// Four repeats, not the default two: with two, one of a device's thirty replies is lost
// in all three tries about once in 500 devices, which would fail one run of this site in
// ten; with four, about once in 50,000.
void TestCollectSite::collectThroughLossGivesTheWholeSite() {
    QProcess lossy;
    lossy.start(kSim, {"--gateways",      QString::number(kGateways),
                       "--devices",       QString::number(kDevices),
                       "--base-address",  kFirstGateway,
                       "--send-port",     "5100",
                       "--recv-port",     "4100",
                       "--drop",          "0.05",
                       "--drop-commands", "0.05",
                       "--seed",          "21",
                       "--fault",         "2 25 unannounced",
                       "--fault",         "3 60 unannounced",
                       "--quiet"});
    QVERIFY2(lossy.waitForStarted(10000), qPrintable(lossy.errorString()));
    const QString map = m_dir.filePath(QStringLiteral("lossy.xml"));
    Run run;
    for (int attempt = 0; attempt < 50 && run.exitCode != 0; ++attempt) {
        run = runCli({"collect", "--loopback", "--send-port", "5100", "--recv-port", "4100",
                      "--retries", "4", "--map", map, "--json"});
        if (run.exitCode != 3) {
            break;  // 3: the simulator was not up yet
        }
    }
    lossy.kill();
    lossy.waitForFinished(5000);
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QVERIFY(QJsonDocument::fromJson(run.out).object().value("rollCall").toInt() >= 2);
    verifyWholeSite(map);
}

void TestCollectSite::verifyWholeSite(const QString& map) {
    pugi::xml_document saved;
    QString reason;
    QVERIFY2(CXmlFile::load(map, saved, reason), qPrintable(reason));
    QCOMPARE(saved.select_nodes("//Device_Configuration/UBRIX[@IP]").size(), size_t{kGateways});
    QCOMPARE(saved.select_nodes("//Device_Configuration/DEVICE[@UID]").size(),
             size_t{kGateways} * kDevices);
    for (int g = 0; g < kGateways; ++g) {
        const std::string gateway = "127.0.0." + std::to_string(11 + g);
        const std::string devices =
            "//Network_Configuration/UBRIX[@IP='" + gateway + "']/DEVICE[@UID]";
        QCOMPARE(saved.select_nodes(devices.c_str()).size(), size_t{kDevices});
    }

    // What the site reports, entered into a plan of its own, is what the map holds.
    auto models = std::make_shared<CSimModels>();
    QVERIFY2(models->load(QStringLiteral(VOREL_RUNTIME_DIR), reason), qPrintable(reason));
    CSimSiteConfig config;
    for (int g = 0; g < kGateways; ++g) {
        config.addresses << CIpv4Address::fromHostOrder(
            CIpv4Address::toHostOrder(CIpv4Address::fromDotted(kFirstGateway)) + g);
    }
    config.devicesPerGateway = kDevices;
    auto site = CSimSiteBuilder::build(models, config, reason);
    QVERIFY2(site.has_value(), qPrintable(reason));
    CDocFixture reference;
    int settings = 0;
    for (CSimGateway& gateway : site->gateways()) {
        const QByteArray prefix = "[00:00:00] (" + CIpv4Address::toDotted(gateway.address()) + ") ";
        // The name answers the discovery first, as it does for the tool.
        QList<QByteArray> lines{prefix + "!NAME=" + gateway.name() + ";"};
        const QList<QByteArray> answers =
            gateway.handle(CSimCommand::parse("&=?;"), 0, 0, CValidationSchema(models->schema()));
        for (const QByteArray& reply : answers) {
            lines << prefix + reply.trimmed();
        }
        for (const CSimBusDevice& device : gateway.devices()) {
            for (const QByteArray& reply : device.report(CSettingAddress())) {
                lines << prefix + reply.trimmed();
            }
        }
        settings += static_cast<int>(lines.size());
        reference.receive(lines);
    }
    QVERIFY(settings > kGateways * kDevices * 3);
    for (const pugi::xpath_node& hit :
         reference.doc().plan().select_nodes("//Device_Configuration/*")) {
        const pugi::xml_node expected = hit.node();
        const std::string key = std::string(expected.first_attribute().name()) + "='" +
                                expected.first_attribute().value() + "'";
        const std::string xpath =
            "//Device_Configuration/" + std::string(expected.name()) + "[@" + key + "]";
        const pugi::xml_node actual = saved.select_node(xpath.c_str()).node();
        QVERIFY2(actual, xpath.c_str());
        // Replies that were lost and asked again arrive later: the same settings, in
        // another order.
        QCOMPARE(settingsOf(actual), settingsOf(expected));
    }
}

void TestCollectSite::discoverListsGateways() {
    const Run run = runCli({"discover", "--loopback"});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out,
             QByteArray("127.0.0.11\tUbrix 1\n127.0.0.12\tUbrix 2\n127.0.0.13\tUbrix 3\n"));
}

void TestCollectSite::nothingAnswersGivesExitCode3() {
    // Nobody listens on this send port.
    const Run run = runCli({"discover", "--loopback", "--send-port", "5999", "--wait-ms", "300"});
    QCOMPARE(run.exitCode, 3);
    QVERIFY(run.out.isEmpty());
}

QTEST_GUILESS_MAIN(TestCollectSite)
#include "TestCollectSite.moc"
