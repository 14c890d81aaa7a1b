#include "gui/controls/MyEdit.h"

#include <QAction>
#include <QClipboard>
#include <QDialog>
#include <QGuiApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

namespace {

// QTest::keyClicks takes ASCII only; other letters go as key events with their text.
void typeText(QWidget* widget, const QString& text) {
    for (const QChar character : text) {
        if (character.unicode() < 0x80) {
            QTest::keyClick(widget, char(character.unicode()));
        } else {
            const auto key = Qt::Key(character.toUpper().unicode());
            QTest::sendKeyEvent(QTest::Click, widget, key, QString(character), Qt::NoModifier);
        }
    }
}

}  // namespace

class TestMyEdit : public QObject {
    Q_OBJECT

private slots:
    void typedLettersBecomeCapitals_data();
    void typedLettersBecomeCapitals();
    void pastedAndInsertedTextBecomesCapitals();
    void upperCaseCanBeSwitchedOff();
    void enterRequestsSendAndKeepsText_data();
    void enterRequestsSendAndKeepsText();
    void escapeClears();
    void otherKeysAreStandard();
    void dialogNeitherAcceptsNorRejects();
    void windowShortcutsDoNotTakeEnterOrEscape();
};

void TestMyEdit::typedLettersBecomeCapitals_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");

    QTest::newRow("name query") << "&name=?;"
                                << "&NAME=?;";
    QTest::newRow("keypad command") << "#2.1.0.led=recall,2"
                                    << "#2.1.0.LED=RECALL,2";
    QTest::newRow("already capitals") << "&NETWORK.DHCP=?;"
                                      << "&NETWORK.DHCP=?;";
    QTest::newRow("digits and signs") << "0123 !?=;,."
                                      << "0123 !?=;,.";
    QTest::newRow("latin-1 letters") << QString::fromUtf8("äöüé") << QString::fromUtf8("ÄÖÜÉ");
    // No single capital: the text keeps its length.
    QTest::newRow("sharp s") << QString::fromUtf8("straße") << QString::fromUtf8("STRAßE");
}

void TestMyEdit::typedLettersBecomeCapitals() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);

    MyEdit edit;
    typeText(&edit, typed);

    QCOMPARE(edit.text(), shown);
    QCOMPARE(edit.cursorPosition(), shown.size());
}

void TestMyEdit::pastedAndInsertedTextBecomesCapitals() {
    MyEdit edit;
    QTest::keyClicks(&edit, QStringLiteral("&"));
    edit.insert(QStringLiteral("name"));
    QCOMPARE(edit.text(), QStringLiteral("&NAME"));

    QGuiApplication::clipboard()->setText(QStringLiteral("=?;"));
    edit.paste();
    QCOMPARE(edit.text(), QStringLiteral("&NAME=?;"));

    // Typing in the middle keeps the cursor where the letter went.
    edit.setCursorPosition(1);
    QTest::keyClicks(&edit, QStringLiteral("x"));
    QCOMPARE(edit.text(), QStringLiteral("&XNAME=?;"));
    QCOMPARE(edit.cursorPosition(), 2);
}

void TestMyEdit::upperCaseCanBeSwitchedOff() {
    MyEdit edit;
    QVERIFY(edit.forcesUpperCase());
    edit.setForceUpperCase(false);
    QVERIFY(!edit.forcesUpperCase());
    QTest::keyClicks(&edit, QStringLiteral("abc"));
    QCOMPARE(edit.text(), QStringLiteral("abc"));

    edit.setForceUpperCase(true);
    QCOMPARE(edit.text(), QStringLiteral("ABC"));
    QTest::keyClicks(&edit, QStringLiteral("d"));
    QCOMPARE(edit.text(), QStringLiteral("ABCD"));
}

void TestMyEdit::enterRequestsSendAndKeepsText_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Return") << int(Qt::Key_Return) << int(Qt::NoModifier);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
}

void TestMyEdit::enterRequestsSendAndKeepsText() {
    QFETCH(int, key);
    QFETCH(int, modifiers);

    MyEdit edit;
    QSignalSpy send(&edit, &MyEdit::sendRequested);
    QSignalSpy returnPressed(&edit, &QLineEdit::returnPressed);
    QTest::keyClicks(&edit, QStringLiteral("&name=?;"));

    QTest::keyClick(&edit, Qt::Key(key), Qt::KeyboardModifiers(modifiers));

    QCOMPARE(send.size(), 1);
    QCOMPARE(edit.text(), QStringLiteral("&NAME=?;"));  // nothing inserted, nothing cleared
    QCOMPARE(returnPressed.size(), 0);

    QTest::keyClick(&edit, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(send.size(), 2);
    QCOMPARE(edit.text(), QStringLiteral("&NAME=?;"));
}

void TestMyEdit::escapeClears() {
    MyEdit edit;
    QSignalSpy send(&edit, &MyEdit::sendRequested);
    QTest::keyClicks(&edit, QStringLiteral("#1.1.1.motor=stop"));

    QTest::keyClick(&edit, Qt::Key_Escape);

    QCOMPARE(edit.text(), QString());
    QCOMPARE(send.size(), 0);
    QTest::keyClicks(&edit, QStringLiteral("a"));
    QCOMPARE(edit.text(), QStringLiteral("A"));
}

void TestMyEdit::otherKeysAreStandard() {
    MyEdit edit;
    QTest::keyClicks(&edit, QStringLiteral("&nam"));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClick(&edit, Qt::Key_Home);
    QTest::keyClick(&edit, Qt::Key_Delete);
    QTest::keyClicks(&edit, QStringLiteral("#"));
    QCOMPARE(edit.text(), QStringLiteral("#NA"));
}

void TestMyEdit::dialogNeitherAcceptsNorRejects() {
    QDialog dialog;
    auto* edit = new MyEdit(&dialog);
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(edit);
    layout->addWidget(ok);
    QSignalSpy finished(&dialog, &QDialog::finished);
    QSignalSpy send(edit, &MyEdit::sendRequested);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    edit->setFocus();

    QTest::keyClicks(edit, QStringLiteral("&name=?;"));
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Escape);

    QCOMPARE(send.size(), 1);
    QCOMPARE(finished.size(), 0);
    QVERIFY(dialog.isVisible());
    QCOMPARE(edit->text(), QString());

    // The same keys on the button do reach the dialog: the check above could fail.
    QTest::keyClick(ok, Qt::Key_Escape);
    QCOMPARE(finished.size(), 1);
}

void TestMyEdit::windowShortcutsDoNotTakeEnterOrEscape() {
    QWidget window;
    auto* edit = new MyEdit(&window);
    auto* other = new QPushButton(QStringLiteral("other"), &window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(edit);
    layout->addWidget(other);
    QAction close(&window);
    close.setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::Key_Return)});
    window.addAction(&close);
    QSignalSpy triggered(&close, &QAction::triggered);
    QSignalSpy send(edit, &MyEdit::sendRequested);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("x"));
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Escape);
    QCOMPARE(triggered.size(), 0);
    QCOMPARE(send.size(), 1);
    QCOMPARE(edit->text(), QString());

    // Elsewhere in the window the shortcut works.
    other->setFocus();
    QTest::keyClick(other, Qt::Key_Escape);
    QCOMPARE(triggered.size(), 1);
}

QTEST_MAIN(TestMyEdit)
#include "TestMyEdit.moc"
