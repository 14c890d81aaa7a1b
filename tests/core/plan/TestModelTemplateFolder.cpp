#include "core/plan/CModelTemplateFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Where the programs find the model templates: beside them in a build, in the data folder
// of their prefix when installed (wherever a package was unpacked), or in a system data
// folder.
class TestModelTemplateFolder : public QObject {
    Q_OBJECT

private slots:
    void findsTheTemplates_data();
    void findsTheTemplates();
};

void TestModelTemplateFolder::findsTheTemplates_data() {
    QTest::addColumn<QString>("placed");
    QTest::addColumn<QString>("found");
    QTest::newRow("beside the program") << "usr/bin"
                                        << "usr/bin";
    QTest::newRow("installed under the program's prefix") << "usr/share/ubrix-vorel/templates"
                                                          << "usr/share/ubrix-vorel/templates";
    QTest::newRow("in a system data folder") << "system/ubrix-vorel/templates"
                                             << "system/ubrix-vorel/templates";
    QTest::newRow("nowhere: the program's folder") << ""
                                                   << "usr/bin";
}

void TestModelTemplateFolder::findsTheTemplates() {
    QFETCH(QString, placed);
    QFETCH(QString, found);
    QTemporaryDir top;
    const QDir root(top.path());
    QVERIFY(root.mkpath(QStringLiteral("usr/bin")));
    QVERIFY(root.mkpath(QStringLiteral("home")));
    if (!placed.isEmpty()) {
        QVERIFY(root.mkpath(placed));
        QFile model(root.filePath(placed + QStringLiteral("/template_lumetaC.xml")));
        QVERIFY(model.open(QIODevice::WriteOnly));
    }
    // This machine's own data folders stay out of it, an installed copy included.
    qputenv("XDG_DATA_HOME", root.filePath(QStringLiteral("home")).toLocal8Bit());
    qputenv("XDG_DATA_DIRS", root.filePath(QStringLiteral("system")).toLocal8Bit());

    QCOMPARE(CModelTemplateFolder::find(root.filePath(QStringLiteral("usr/bin"))),
             root.filePath(found));
}

QTEST_MAIN(TestModelTemplateFolder)
#include "TestModelTemplateFolder.moc"
