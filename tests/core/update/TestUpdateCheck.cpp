#include "core/settings/CSettings.h"
#include "core/update/CDownloadIndex.h"
#include "core/update/CUpdateCheck.h"
#include "support/CRecordingNotifier.h"
#include "support/CTestLan.h"

#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {

constexpr const char* kNewer = "A more recent version is available";

QByteArray indexWith(const QByteArray& files) {
    return "<?xml version=\"1.0\"?>\n<download_index>" + files + "</download_index>\n";
}

QByteArray vorelFile(const QList<QByteArray>& versions) {
    QByteArray file = "<file moniker=\"VOREL\">";
    for (const QByteArray& version : versions) {
        file += "<version>" + version + "</version>";
    }
    return file + "</file>";
}

QByteArray httpResponse(int status, const QByteArray& body) {
    const QByteArray reason = status == 200 ? "OK" : "Not Found";
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason +
           "\r\nContent-Type: text/xml\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

// The download server of the test: answers every request with one canned response, or
// hangs up, or never answers; keeps the request heads it saw.
class CIndexServer : public QObject {
public:
    enum class Behaviour { Answer, HangUp, Silent };

    CIndexServer() {
        connect(&m_server, &QTcpServer::newConnection, this, [this] { accept(); });
        m_server.listen(QHostAddress::LocalHost);
    }
    void answerWith(const QByteArray& response) {
        m_behaviour = Behaviour::Answer;
        m_response = response;
    }
    void behave(Behaviour behaviour) { m_behaviour = behaviour; }
    QString address() const {
        return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort());
    }
    const QList<QByteArray>& requests() const { return m_requests; }
    int connections() const { return m_connections; }

private:
    void accept() {
        while (QTcpSocket* client = m_server.nextPendingConnection()) {
            ++m_connections;
            client->setParent(this);
            if (m_behaviour == Behaviour::HangUp) {
                client->disconnectFromHost();
                continue;
            }
            connect(client, &QTcpSocket::readyRead, this, [this, client] { read(client); });
        }
    }
    void read(QTcpSocket* client) {
        QByteArray& head = m_heads[client];
        head += client->readAll();
        if (!head.contains("\r\n\r\n")) {
            return;
        }
        m_requests.append(head);
        if (m_behaviour == Behaviour::Answer) {
            client->write(m_response);
            client->disconnectFromHost();
        }
    }

    QTcpServer m_server;
    Behaviour m_behaviour = Behaviour::Answer;
    QByteArray m_response;
    QHash<QTcpSocket*, QByteArray> m_heads;
    QList<QByteArray> m_requests;
    int m_connections = 0;
};

}  // namespace

// The update check against a download server of the test's own: the request, the
// comparison of releases, the message and the mark, and silence on every failure.
class TestUpdateCheck : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void releaseOfVersionText_data();
    void releaseOfVersionText();
    void indexUrl_data();
    void indexUrl();

    void comparison_data();
    void comparison();
    void requestCarriesThePathAndTheCredentials();
    void cacheBusterIsANumberByDefault();
    void programAlreadyNewerAsksAgainNextTime();
    void noRequestWithoutAnAddress_data();
    void noRequestWithoutAnAddress();
    void noRequestOnceAnnounced();
    void silentOnFailure_data();
    void silentOnFailure();
    void serverThatNeverAnswersIsLeftAfterTheWait();
    void refusedConnectionIsSilent();
    void startDoesNotWait();

private:
    std::unique_ptr<CUpdateCheck> makeCheck(int major, int minor);
    int newFlag() const { return m_store->value(QStringLiteral("RELEASE/NEW"), 0).toInt(); }

    QTemporaryDir m_dir;
    std::unique_ptr<QSettings> m_store;
    CRecordingNotifier m_notifier;
    std::unique_ptr<CIndexServer> m_server;
    int m_storeNumber = 0;
};

void TestUpdateCheck::initTestCase() {
    const QString why = CTestLan::isolateProcess();
    if (!why.isEmpty()) {
        QSKIP(qPrintable(why));
    }
}

void TestUpdateCheck::init() {
    m_store =
        CSettings::openFileStore(m_dir.filePath(QStringLiteral("s%1.ini").arg(++m_storeNumber)));
    m_notifier.clear();
    m_server = std::make_unique<CIndexServer>();
}

std::unique_ptr<CUpdateCheck> TestUpdateCheck::makeCheck(int major, int minor) {
    auto check = std::make_unique<CUpdateCheck>(*m_store, m_notifier, major, minor);
    check->setIndexAddress(m_server->address());
    return check;
}

void TestUpdateCheck::releaseOfVersionText_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qint64>("release");
    QTest::newRow("2.14") << QByteArray("2.14") << qint64(2 * 256 + 14);
    QTest::newRow("2.9") << QByteArray("2.9") << qint64(2 * 256 + 9);
    QTest::newRow("no dot: all of it is the minor number") << QByteArray("3") << qint64(3);
    QTest::newRow("minor beyond 255") << QByteArray("0.300") << qint64(300);
    QTest::newRow("only the first dot splits") << QByteArray("1.2.3") << qint64(256 + 2);
    QTest::newRow("text after the digits") << QByteArray("2.14beta") << qint64(526);
    QTest::newRow("blanks before the numbers") << QByteArray(" 2. 14") << qint64(526);
    QTest::newRow("sign") << QByteArray("-1.5") << qint64(-256 + 5);
    QTest::newRow("empty") << QByteArray() << qint64(0);
    QTest::newRow("dot alone") << QByteArray(".") << qint64(0);
    QTest::newRow("letters") << QByteArray("v2.1") << qint64(1);
    QTest::newRow("huge major saturates")
        << QByteArray("99999999999.0") << qint64(std::numeric_limits<int>::max()) * 256;
}

void TestUpdateCheck::releaseOfVersionText() {
    QFETCH(QByteArray, text);
    QFETCH(qint64, release);
    QCOMPARE(CDownloadIndex::releaseOf(text), release);
}

void TestUpdateCheck::indexUrl_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("url");
    const QString path = QStringLiteral("/customerportal/download_index.xml?t=7");
    QTest::newRow("host and port")
        << QStringLiteral("http://updates.example:8080") << "http://updates.example:8080" + path;
    QTest::newRow("trailing slash")
        << QStringLiteral("http://updates.example/") << "http://updates.example" + path;
    QTest::newRow("prefix") << QStringLiteral("https://updates.example/portal")
                            << "https://updates.example/portal" + path;
    QTest::newRow("blanks around")
        << QStringLiteral("  http://10.0.0.5  ") << "http://10.0.0.5" + path;
    QTest::newRow("no scheme") << QStringLiteral("updates.example") << QString();
    QTest::newRow("other scheme") << QStringLiteral("ftp://updates.example") << QString();
    QTest::newRow("local file") << QStringLiteral("file:///etc") << QString();
    QTest::newRow("empty") << QString() << QString();
}

void TestUpdateCheck::indexUrl() {
    QFETCH(QString, address);
    QFETCH(QString, url);
    QCOMPARE(CUpdateCheck::indexUrl(address, 7).toString(), url);
}

void TestUpdateCheck::comparison_data() {
    QTest::addColumn<QByteArray>("index");
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("messages");

    QTest::newRow("2.14 is newer than 2.9") << indexWith(vorelFile({"2.14"})) << 2 << 9 << 1;
    QTest::newRow("3 is never newer than 1.0") << indexWith(vorelFile({"3"})) << 1 << 0 << 0;
    QTest::newRow("3 against 0.2") << indexWith(vorelFile({"3"})) << 0 << 2 << 1;
    QTest::newRow("same release") << indexWith(vorelFile({"2.9"})) << 2 << 9 << 0;
    QTest::newRow("program already newer") << indexWith(vorelFile({"1.5"})) << 2 << 0 << 0;
    QTest::newRow("minor 300 outruns major 1") << indexWith(vorelFile({"0.300"})) << 1 << 0 << 1;
    QTest::newRow("one message per newer version")
        << indexWith(vorelFile({"2.10", "1.0", "3.0"})) << 2 << 9 << 2;
    QTest::newRow("every VOREL file counts")
        << indexWith(vorelFile({"1.0"}) + vorelFile({"2.12"})) << 2 << 9 << 1;
    QTest::newRow("other products are not read")
        << indexWith("<file moniker=\"KV_UPDATE\"><version>9.0</version></file>") << 2 << 9 << 0;
    QTest::newRow("moniker is case sensitive")
        << indexWith("<file moniker=\"vorel\"><version>9.0</version></file>") << 2 << 9 << 0;
    QTest::newRow("only child version elements")
        << indexWith("<file moniker=\"VOREL\"><notes><version>9.0</version></notes></file>") << 2
        << 9 << 0;
    QTest::newRow("file elements anywhere")
        << indexWith("<group><file moniker=\"VOREL\"><version>9.0</version></file></group>") << 2
        << 9 << 1;
    QTest::newRow("text in CDATA")
        << indexWith("<file moniker=\"VOREL\"><version><![CDATA[2.14]]></version></file>") << 2 << 9
        << 1;
    QTest::newRow("empty version") << indexWith(vorelFile({""})) << 0 << 0 << 0;
    QTest::newRow("no files") << indexWith("") << 2 << 9 << 0;
}

void TestUpdateCheck::comparison() {
    QFETCH(QByteArray, index);
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, messages);

    m_server->answerWith(httpResponse(200, index));
    auto check = makeCheck(major, minor);
    QSignalSpy finished(check.get(), &CUpdateCheck::finished);
    check->run();
    QVERIFY(!check->isRunning());
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.front()[0].toBool(), messages > 0);
    QCOMPARE(m_server->requests().size(), 1);
    QCOMPARE(m_notifier.messages(), QStringList(messages, QString::fromLatin1(kNewer)));
    QCOMPARE(newFlag(), messages > 0 ? 1 : 0);
    QCOMPARE(CSettings::newerReleaseAnnounced(*m_store), messages > 0);
}

void TestUpdateCheck::requestCarriesThePathAndTheCredentials() {
    m_server->answerWith(httpResponse(200, indexWith(vorelFile({"1.0"}))));
    auto check = makeCheck(1, 0);
    check->setCacheBuster([] { return 424242; });
    check->run();
    QCOMPARE(m_server->requests().size(), 1);
    const QByteArray request = m_server->requests().front();
    QVERIFY2(request.startsWith("GET /customerportal/download_index.xml?t=424242 HTTP/1.1\r\n"),
             request.constData());
    // Basic authentication with the maker's user name and password: "qdh:mosslane".
    QVERIFY2(request.contains("\r\nAuthorization: Basic cWRoOm1vc3NsYW5l\r\n"),
             request.constData());
    QCOMPARE(CUpdateCheck::authorization(), QByteArray("Basic cWRoOm1vc3NsYW5l"));
}

void TestUpdateCheck::cacheBusterIsANumberByDefault() {
    m_server->answerWith(httpResponse(200, indexWith("")));
    QSet<QByteArray> lines;
    for (int n = 0; n < 3; ++n) {
        makeCheck(1, 0)->run();
    }
    QCOMPARE(m_server->requests().size(), 3);
    const QRegularExpression first(
        QStringLiteral("^GET /customerportal/download_index\\.xml\\?t=\\d+ "));
    for (const QByteArray& request : m_server->requests()) {
        const QByteArray line = request.left(request.indexOf("\r\n"));
        QVERIFY2(first.match(QString::fromLatin1(line)).hasMatch(), line.constData());
        lines.insert(line);
    }
    QVERIFY(lines.size() > 1);  // a fresh number each time keeps caches out of it
}

void TestUpdateCheck::programAlreadyNewerAsksAgainNextTime() {
    m_server->answerWith(httpResponse(200, indexWith(vorelFile({"1.9"}))));
    makeCheck(2, 0)->run();
    makeCheck(2, 0)->run();
    QCOMPARE(m_server->requests().size(), 2);
    QVERIFY(m_notifier.messages().isEmpty());
    QCOMPARE(newFlag(), 0);
}

void TestUpdateCheck::noRequestWithoutAnAddress_data() {
    QTest::addColumn<QString>("address");
    QTest::newRow("empty") << QString();
    QTest::newRow("blank") << QStringLiteral("   ");
    QTest::newRow("not an http address") << QStringLiteral("127.0.0.1");
}

void TestUpdateCheck::noRequestWithoutAnAddress() {
    QFETCH(QString, address);
    m_server->answerWith(httpResponse(200, indexWith(vorelFile({"9.0"}))));
    auto check = makeCheck(1, 0);
    check->setIndexAddress(address);
    QSignalSpy finished(check.get(), &CUpdateCheck::finished);
    check->run();
    QCOMPARE(finished.size(), 1);
    QCoreApplication::processEvents();
    QCOMPARE(m_server->connections(), 0);
    QVERIFY(m_notifier.messages().isEmpty());
    QCOMPARE(newFlag(), 0);
}

void TestUpdateCheck::noRequestOnceAnnounced() {
    m_server->answerWith(httpResponse(200, indexWith(vorelFile({"9.0"}))));
    makeCheck(1, 0)->run();
    QCOMPARE(m_notifier.messages().size(), 1);
    QCOMPARE(m_server->requests().size(), 1);
    // "NEW" is 1 now: the next start asks nobody and says nothing.
    makeCheck(1, 0)->run();
    QCoreApplication::processEvents();
    QCOMPARE(m_server->connections(), 1);
    QCOMPARE(m_notifier.messages().size(), 1);
    QCOMPARE(newFlag(), 1);
}

void TestUpdateCheck::silentOnFailure_data() {
    QTest::addColumn<QByteArray>("response");
    const QByteArray newer = indexWith(vorelFile({"9.0"}));
    QTest::newRow("not found, with an index as its body") << httpResponse(404, newer);
    QTest::newRow("server error") << httpResponse(500, newer);
    QTest::newRow("not XML") << httpResponse(200, "9.0 is out, go get it");
    QTest::newRow("cut-off XML") << httpResponse(200, newer.left(newer.size() - 20));
    QTest::newRow("empty body") << httpResponse(200, QByteArray());
    QTest::newRow("not HTTP") << QByteArray("SSH-2.0-OpenSSH_9.2\r\n");
    QTest::newRow("body shorter than announced")
        << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n") + newer;
    QTest::newRow("far too large")
        << httpResponse(200, QByteArray(qsizetype{2} * 1024 * 1024, ' ') + newer);
}

void TestUpdateCheck::silentOnFailure() {
    QFETCH(QByteArray, response);
    m_server->answerWith(response);
    auto check = makeCheck(1, 0);
    QSignalSpy finished(check.get(), &CUpdateCheck::finished);
    check->run();
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.front()[0].toBool(), false);
    QVERIFY(m_server->connections() >= 1);
    QVERIFY(m_notifier.messages().isEmpty());
    QCOMPARE(newFlag(), 0);
}

void TestUpdateCheck::serverThatNeverAnswersIsLeftAfterTheWait() {
    m_server->behave(CIndexServer::Behaviour::Silent);
    auto check = makeCheck(1, 0);
    check->setWait(200ms);
    QSignalSpy finished(check.get(), &CUpdateCheck::finished);
    check->run();  // returns: the wait bounds it
    QCOMPARE(finished.size(), 1);
    QCOMPARE(m_server->requests().size(), 1);
    QVERIFY(m_notifier.messages().isEmpty());
    QCOMPARE(newFlag(), 0);
}

void TestUpdateCheck::refusedConnectionIsSilent() {
    const QString address = m_server->address();
    m_server.reset();  // nobody listens on that port any more
    auto check = std::make_unique<CUpdateCheck>(*m_store, m_notifier, 1, 0);
    check->setIndexAddress(address);
    QSignalSpy finished(check.get(), &CUpdateCheck::finished);
    check->run();
    QCOMPARE(finished.size(), 1);
    QVERIFY(m_notifier.messages().isEmpty());
    QCOMPARE(newFlag(), 0);
}

void TestUpdateCheck::startDoesNotWait() {
    m_server->answerWith(httpResponse(200, indexWith(vorelFile({"1.1"}))));
    auto check = makeCheck(1, 0);
    QSignalSpy finished(check.get(), &CUpdateCheck::finished);
    check->start();
    QVERIFY(check->isRunning());
    QCOMPARE(finished.size(), 0);
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.front()[0].toBool(), true);
    QCOMPARE(m_notifier.messages(), QStringList{QString::fromLatin1(kNewer)});
    QCOMPARE(newFlag(), 1);
}

QTEST_GUILESS_MAIN(TestUpdateCheck)
#include "TestUpdateCheck.moc"
