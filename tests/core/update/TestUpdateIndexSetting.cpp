#include "core/settings/CSettings.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// Where the update check asks: "RELEASE"/"Index URL", empty unless someone set it, read at
// start-up and left alone at exit like the other release keys.
class TestUpdateIndexSetting : public QObject {
    Q_OBJECT

private slots:
    void emptyByDefault();
    void readFromTheStore_data();
    void readFromTheStore();
    void notWrittenAtExit();
    void keptAcrossAnExit();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QSettings> store(const QString& name) {
        return CSettings::openFileStore(m_dir.filePath(name));
    }
};

void TestUpdateIndexSetting::emptyByDefault() {
    QVERIFY(CSettings().releaseIndexUrl.isEmpty());
    CSettings loaded;
    loaded.releaseIndexUrl = QStringLiteral("left over");
    loaded.load(*store(QStringLiteral("empty.ini")));
    QCOMPARE(loaded.releaseIndexUrl, QString());
}

void TestUpdateIndexSetting::readFromTheStore_data() {
    QTest::addColumn<QByteArray>("iniLine");
    QTest::addColumn<QString>("expected");
    QTest::newRow("address") << QByteArray("Index%20URL=http://updates.example:8080")
                             << QStringLiteral("http://updates.example:8080");
    QTest::newRow("empty") << QByteArray("Index%20URL=") << QString();
    QTest::newRow("other key of the section") << QByteArray("NEW=1") << QString();
}

void TestUpdateIndexSetting::readFromTheStore() {
    QFETCH(QByteArray, iniLine);
    QFETCH(QString, expected);
    const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + ".ini");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[RELEASE]\n" + iniLine + "\n");
    file.close();

    CSettings settings;
    settings.load(*CSettings::openFileStore(path));
    QCOMPARE(settings.releaseIndexUrl, expected);
}

void TestUpdateIndexSetting::notWrittenAtExit() {
    CSettings settings;
    settings.releaseIndexUrl = QStringLiteral("http://updates.example");
    auto file = store(QStringLiteral("exit.ini"));
    settings.save(*file);
    QVERIFY(!file->contains(QStringLiteral("RELEASE/Index URL")));
    QVERIFY(!file->allKeys().join(QLatin1Char(' ')).contains(QStringLiteral("RELEASE")));
}

void TestUpdateIndexSetting::keptAcrossAnExit() {
    auto file = store(QStringLiteral("kept.ini"));
    file->setValue(QStringLiteral("RELEASE/Index URL"), QStringLiteral("https://idx.example"));
    CSettings settings;
    settings.load(*file);
    settings.releaseIndexUrl.clear();  // nothing at run time may lose the installer's choice
    settings.save(*file);
    CSettings next;
    next.load(*file);
    QCOMPARE(next.releaseIndexUrl, QStringLiteral("https://idx.example"));
}

QTEST_GUILESS_MAIN(TestUpdateIndexSetting)
#include "TestUpdateIndexSetting.moc"
