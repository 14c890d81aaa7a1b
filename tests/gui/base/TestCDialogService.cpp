#include "gui/base/CDialogService.h"
#include "gui/base/CMessageBoxNotifier.h"
#include "gui/base/CModalRunner.h"

#include <sys/resource.h>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <thread>

namespace {

const char* const kScenarioVariable = "VOREL_DIALOG_SCENARIO";

// What a child process of this test does when it is started with a scenario: it asks a
// question the hook cannot answer. It must die with a fatal message before the last line.
int runScenario(const QByteArray& scenario) {
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);  // the crash is expected; leave no core file behind
    CDialogService::enableTestHook();
    if (scenario == "missing-answer") {
        CDialogService::message(QStringLiteral("Select an LED"));
    } else if (scenario == "missing-file-name") {
        CDialogService::setNextAnswer(QMessageBox::Ok);
        CDialogService::message(QStringLiteral("No Template loaded"));
        CDialogService::saveFileName(QStringLiteral("xml"), QStringLiteral("Results.xml"),
                                     QStringLiteral("Xml Files (*.xml)|*.xml||"));
    } else if (scenario == "file-name-for-message") {
        CDialogService::setNextFileName(QStringLiteral("plan.xml"));
        CDialogService::message(QStringLiteral("UDP Ports are blocked by firewall"));
    } else if (scenario == "answer-for-file-dialog") {
        CDialogService::setNextAnswer(QMessageBox::Ok);
        CDialogService::openFileName(QStringLiteral("xml"), QString(),
                                     QStringLiteral("Xml Files (*.xml)|*.xml||"));
    } else if (scenario == "button-not-offered") {
        CDialogService::setNextAnswer(QMessageBox::Yes);
        CDialogService::message(QStringLiteral("CMS File upload complete"));
    } else if (scenario == "worker-thread") {
        CDialogService::setNextAnswer(QMessageBox::Ok);
        std::thread worker([] { CDialogService::message(QStringLiteral("from a worker")); });
        worker.join();
    }
    std::fputs("UNREACHED\n", stdout);
    return 0;
}

}  // namespace

class TestCDialogService : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void qtFilter_data();
    void qtFilter();
    void iconFollowsButtons_data();
    void iconFollowsButtons();
    void answersAreConsumedInOrder();
    void captionDefaultsToApplicationName();
    void fileDialogs_data();
    void fileDialogs();
    void openKeepsAnExistingNameWithoutExtension();
    void fileAndMessageAnswersShareOneQueue();
    void enablingForgetsEverything();
    void unansweredQuestionsFailLoudly_data();
    void unansweredQuestionsFailLoudly();
    void headlessQuestionsAreAnsweredAsClosed();
    void notifierShowsMessageBox();
    void notifierHandsOtherThreadsOverToGuiThread();
    void notifierGoneBeforeHandOver();
};

void TestCDialogService::init() {
    CDialogService::enableTestHook();
}

void TestCDialogService::cleanup() {
    QCOMPARE(CDialogService::pendingAnswerCount(), 0);  // every queued answer was used
    CDialogService::disableTestHook();
}

void TestCDialogService::qtFilter_data() {
    QTest::addColumn<QString>("windows");
    QTest::addColumn<QString>("qt");

    QTest::newRow("map and project files") << "Xml Files (*.xml)|*.xml||"
                                           << "Xml Files (*.xml)";
    QTest::newRow("no blank, no closing bars") << "CMS Files(*.cms)|*.cms"
                                               << "CMS Files(*.cms)";
    QTest::newRow("description without patterns") << "Traffic log|*.txt||"
                                                  << "Traffic log (*.txt)";
    QTest::newRow("several patterns") << "Logs|*.txt;*.log||"
                                      << "Logs (*.txt *.log)";
    QTest::newRow("several patterns shown") << "Logs (*.txt;*.log)|*.txt;*.log||"
                                            << "Logs (*.txt *.log)";
    QTest::newRow("two filters") << "Xml Files (*.xml)|*.xml|All Files (*.*)|*.*||"
                                 << "Xml Files (*.xml);;All Files (*)";
    QTest::newRow("shown patterns differ from the real ones") << "Text (log files)|*.txt||"
                                                              << "Text (log files) (*.txt)";
    QTest::newRow("blanks around patterns") << "Xml| *.xml ; *.XML ||"
                                            << "Xml (*.xml *.XML)";
    QTest::newRow("unpaired last field") << "Xml Files (*.xml)|*.xml|Broken"
                                         << "Xml Files (*.xml)";
    QTest::newRow("pair without patterns") << "Nothing||Xml|*.xml||"
                                           << "Xml (*.xml)";
    QTest::newRow("patterns without description") << "|*.xml||"
                                                  << "*.xml";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("bars only") << "||"
                               << "";
}

void TestCDialogService::qtFilter() {
    QFETCH(QString, windows);
    QFETCH(QString, qt);
    QCOMPARE(CDialogService::toQtFilter(windows), qt);
}

void TestCDialogService::iconFollowsButtons_data() {
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("icon");
    QTest::newRow("OK") << int(QMessageBox::Ok) << int(QMessageBox::Warning);
    QTest::newRow("OK Cancel") << int(QMessageBox::Ok | QMessageBox::Cancel)
                               << int(QMessageBox::Warning);
    QTest::newRow("Yes No") << int(QMessageBox::Yes | QMessageBox::No)
                            << int(QMessageBox::Question);
    QTest::newRow("Yes No Cancel") << int(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)
                                   << int(QMessageBox::Question);
}

void TestCDialogService::iconFollowsButtons() {
    QFETCH(int, buttons);
    QFETCH(int, icon);

    const CDialogService::Buttons offered(buttons);
    CDialogService::setNextAnswer(offered.testFlag(QMessageBox::Ok) ? QMessageBox::Ok
                                                                    : QMessageBox::No);
    CDialogService::message(QStringLiteral("text"), offered);

    QCOMPARE(CDialogService::askedMessages().size(), 1);
    QCOMPARE(int(CDialogService::askedMessages().at(0).icon), icon);
    QCOMPARE(int(CDialogService::askedMessages().at(0).buttons), buttons);
}

void TestCDialogService::answersAreConsumedInOrder() {
    const QString prompt = QStringLiteral(
        "->Upload Error: UID 7 not found on network\nPress discover button on device and then "
        "YES \n\nPress NO to pass over this device\nPress CANCEL to abort upload");
    const auto yesNoCancel = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    CDialogService::setNextAnswer(QMessageBox::Yes);
    CDialogService::setNextAnswer(QMessageBox::No);
    CDialogService::setNextAnswer(QMessageBox::Cancel);
    CDialogService::setNextAnswer(QMessageBox::Ok);
    QCOMPARE(CDialogService::pendingAnswerCount(), 4);

    QCOMPARE(CDialogService::message(prompt, yesNoCancel), QMessageBox::Yes);
    QCOMPARE(CDialogService::message(prompt, yesNoCancel), QMessageBox::No);
    QCOMPARE(CDialogService::pendingAnswerCount(), 2);
    QCOMPARE(CDialogService::message(prompt, yesNoCancel), QMessageBox::Cancel);
    QCOMPARE(CDialogService::message(QStringLiteral("A more recent version is available")),
             QMessageBox::Ok);

    QCOMPARE(CDialogService::askedTexts(),
             QStringList({prompt, prompt, prompt, "A more recent version is available"}));
    QCOMPARE(CDialogService::askedMessages().at(3).buttons,
             CDialogService::Buttons(QMessageBox::Ok));
}

void TestCDialogService::captionDefaultsToApplicationName() {
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Ubrix Vorel"));
    CDialogService::setNextAnswer(QMessageBox::Ok);
    CDialogService::setNextAnswer(QMessageBox::Ok);

    CDialogService::message(QStringLiteral("Error creating Dialog"));
    CDialogService::message(QStringLiteral("Select an LED"), QMessageBox::Ok,
                            QStringLiteral("Tavo LX"));

    QCOMPARE(CDialogService::askedMessages().at(0).caption, QStringLiteral("Ubrix Vorel"));
    QCOMPARE(CDialogService::askedMessages().at(1).caption, QStringLiteral("Tavo LX"));
}

void TestCDialogService::fileDialogs_data() {
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("result");

    QTest::newRow("save adds the extension") << true << "xml"
                                             << "/tmp/plan"
                                             << "/tmp/plan.xml";
    QTest::newRow("save keeps an extension") << true << "xml"
                                             << "/tmp/plan.xml"
                                             << "/tmp/plan.xml";
    QTest::newRow("save keeps another extension") << true << "xml"
                                                  << "/tmp/plan.bak"
                                                  << "/tmp/plan.bak";
    QTest::newRow("dot in the folder only") << true << "xml"
                                            << "/tmp/v1.2/plan"
                                            << "/tmp/v1.2/plan.xml";
    QTest::newRow("trailing dot asks for none") << true << "xml"
                                                << "/tmp/plan."
                                                << "/tmp/plan.";
    QTest::newRow("no default extension") << true << ""
                                          << "/tmp/plan"
                                          << "/tmp/plan";
    QTest::newRow("save cancelled") << true << "xml"
                                    << ""
                                    << "";
    QTest::newRow("open a missing bare name") << false << "txt"
                                              << "/nonexistent/logfile"
                                              << "/nonexistent/logfile.txt";
    QTest::newRow("open cancelled") << false << "txt"
                                    << ""
                                    << "";
}

void TestCDialogService::fileDialogs() {
    QFETCH(bool, save);
    QFETCH(QString, extension);
    QFETCH(QString, chosen);
    QFETCH(QString, result);

    CDialogService::setNextFileName(chosen);
    const QString filter = QStringLiteral("Xml Files (*.xml)|*.xml||");
    const QString answer =
        save ? CDialogService::saveFileName(extension, QStringLiteral("Results.xml"), filter)
             : CDialogService::openFileName(extension, QStringLiteral("*.txt"), filter);

    QCOMPARE(answer, result);
    QCOMPARE(CDialogService::askedFileDialogs().size(), 1);
    const CDialogService::FileRequest asked = CDialogService::askedFileDialogs().at(0);
    QCOMPARE(asked.mode, save ? CDialogService::FileMode::Save : CDialogService::FileMode::Open);
    QCOMPARE(asked.defaultExtension, extension);
    QCOMPARE(asked.initialName, save ? QStringLiteral("Results.xml") : QStringLiteral("*.txt"));
    QCOMPARE(asked.filter, filter);
    QCOMPARE(asked.overwritePrompt, CDialogService::OverwritePrompt::No);
    QVERIFY(CDialogService::askedTexts().isEmpty());
}

void TestCDialogService::openKeepsAnExistingNameWithoutExtension() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString bare = folder.filePath(QStringLiteral("README"));
    QFile file(bare);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    CDialogService::setNextFileName(bare);
    CDialogService::setNextFileName(bare);
    QCOMPARE(CDialogService::openFileName(QStringLiteral("txt"), QString(), QString()), bare);
    // Saving under that name still gets the extension.
    QCOMPARE(CDialogService::saveFileName(QStringLiteral("txt"), QString(), QString(),
                                          CDialogService::OverwritePrompt::Yes),
             bare + QStringLiteral(".txt"));
    QCOMPARE(CDialogService::askedFileDialogs().at(1).overwritePrompt,
             CDialogService::OverwritePrompt::Yes);
}

void TestCDialogService::fileAndMessageAnswersShareOneQueue() {
    CDialogService::setNextFileName(QStringLiteral("/tmp/a.cms"));
    CDialogService::setNextAnswer(QMessageBox::Ok);

    QCOMPARE(CDialogService::openFileName(QString(), QString(),
                                          QStringLiteral("CMS Files(*.cms)|*.cms")),
             QStringLiteral("/tmp/a.cms"));
    QCOMPARE(CDialogService::message(QStringLiteral("CMS File upload complete")), QMessageBox::Ok);
    QCOMPARE(CDialogService::askedTexts(), QStringList({"CMS File upload complete"}));
    QCOMPARE(CDialogService::askedFileDialogs().size(), 1);
}

void TestCDialogService::enablingForgetsEverything() {
    CDialogService::setNextAnswer(QMessageBox::Ok);
    CDialogService::setNextAnswer(QMessageBox::Ok);
    CDialogService::message(QStringLiteral("one"));

    CDialogService::enableTestHook();

    QCOMPARE(CDialogService::pendingAnswerCount(), 0);
    QVERIFY(CDialogService::askedMessages().isEmpty());
    QVERIFY(CDialogService::isTestHookActive());
}

void TestCDialogService::unansweredQuestionsFailLoudly_data() {
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QString>("message");

    QTest::newRow("no answer queued") << "missing-answer"
                                      << "no answer queued for the message box \"Select an LED\"";
    QTest::newRow("answers used up")
        << "missing-file-name"
        << "no answer queued for the save-file dialog (extension \"xml\", name \"Results.xml\"";
    QTest::newRow("file name queued, message asked")
        << "file-name-for-message"
        << "a file name was queued, but the code asked the message box \"UDP Ports are blocked "
           "by firewall\"";
    QTest::newRow("button queued, file dialog asked")
        << "answer-for-file-dialog"
        << "a message box answer was queued, but the code asked the open-file dialog";
    QTest::newRow("answer is not a button of the box")
        << "button-not-offered"
        << "the queued answer Yes is not a button of the message box \"CMS File upload complete\"";
    QTest::newRow("asked from a worker thread")
        << "worker-thread"
        << "the message box \"from a worker\" was asked outside the GUI thread";
}

void TestCDialogService::unansweredQuestionsFailLoudly() {
    QFETCH(QString, scenario);
    QFETCH(QString, message);

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kScenarioVariable), scenario);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForStarted());
    // A child that opened a real dialog would wait for a user forever; this bound only
    // turns such a hang into a failure.
    QVERIFY2(child.waitForFinished(120000), "the child hangs: a dialog was opened");

    const QString output = QString::fromUtf8(child.readAllStandardOutput());
    const QString errors = QString::fromUtf8(child.readAllStandardError());
    QVERIFY2(!output.contains(QStringLiteral("UNREACHED")), qPrintable(output));
    QVERIFY(child.exitStatus() == QProcess::CrashExit || child.exitCode() != 0);
    QVERIFY2(errors.contains(QStringLiteral("CDialogService: ") + message), qPrintable(errors));
}

void TestCDialogService::headlessQuestionsAreAnsweredAsClosed() {
    // The program itself, run offscreen: no hook, nobody to answer, and it goes on.
    CDialogService::disableTestHook();
    QTest::ignoreMessage(QtWarningMsg, "No valid Ethernet interfaces detected");
    QCOMPARE(CDialogService::message(QStringLiteral("No valid Ethernet interfaces detected")),
             QMessageBox::Ok);
    QTest::ignoreMessage(QtWarningMsg, "Delete every device?");
    QCOMPARE(CDialogService::message(QStringLiteral("Delete every device?"),
                                     QMessageBox::Yes | QMessageBox::No),
             QMessageBox::No);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^save-file dialog .* cancelled$"));
    QCOMPARE(CDialogService::saveFileName(QStringLiteral("xml"), QStringLiteral("Results.xml"),
                                          QStringLiteral("Xml Files (*.xml)|*.xml||")),
             QString());
    QDialog setup;
    setup.setWindowTitle(QStringLiteral("Network Setup"));
    QTest::ignoreMessage(QtWarningMsg,
                         "The dialog \"Network Setup\" cannot be shown here; cancelled");
    QCOMPARE(CModalRunner::exec(setup), int(QDialog::Rejected));
    CDialogService::enableTestHook();
}

void TestCDialogService::notifierShowsMessageBox() {
    CMessageBoxNotifier notifier;
    IUserNotifier& core = notifier;
    CDialogService::setNextAnswer(QMessageBox::Ok);

    core.showMessage(QStringLiteral("Failed to instantiate an XML DOM"));

    QCOMPARE(CDialogService::askedTexts(), QStringList({"Failed to instantiate an XML DOM"}));
    const CDialogService::MessageRequest asked = CDialogService::askedMessages().at(0);
    QCOMPARE(asked.buttons, CDialogService::Buttons(QMessageBox::Ok));
    QCOMPARE(asked.icon, QMessageBox::Warning);
}

void TestCDialogService::notifierHandsOtherThreadsOverToGuiThread() {
    CMessageBoxNotifier notifier;
    CDialogService::setNextAnswer(QMessageBox::Ok);
    CDialogService::setNextAnswer(QMessageBox::Ok);

    // Asked in the worker itself, the service would end the process.
    std::thread worker([&notifier] {
        notifier.showMessage(QStringLiteral("Socket error 10054"));
        notifier.showMessage(QStringLiteral("Socket error 10038"));
    });
    worker.join();
    QVERIFY(CDialogService::askedTexts().isEmpty());  // nothing shown from the worker

    QCoreApplication::processEvents();

    QCOMPARE(CDialogService::askedTexts(),
             QStringList({"Socket error 10054", "Socket error 10038"}));
}

void TestCDialogService::notifierGoneBeforeHandOver() {
    auto notifier = std::make_unique<CMessageBoxNotifier>();
    std::thread worker([&notifier] { notifier->showMessage(QStringLiteral("late")); });
    worker.join();

    notifier.reset();
    QCoreApplication::processEvents();

    QVERIFY(CDialogService::askedTexts().isEmpty());
}

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QByteArray scenario = qgetenv(kScenarioVariable);
    if (!scenario.isEmpty()) {
        return runScenario(scenario);
    }
    TestCDialogService test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "TestCDialogService.moc"
