#include "gui/controls/CPropertyList.h"
#include "gui/controls/CPropertyListModel.h"

#include <QAbstractItemModelTester>
#include <QColor>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

namespace {

std::vector<CPropertyRow> page() {
    CPropertyRow name;
    name.label = QStringLiteral("NAME");
    name.value = QStringLiteral("Lobby");
    name.editor = CPropertyRow::Editor::Text;
    CPropertyRow dhcp;
    dhcp.label = QStringLiteral("DHCP");
    dhcp.value = QStringLiteral("ENABLE");
    dhcp.editor = CPropertyRow::Editor::Combo;
    dhcp.options = {"ENABLE", "DISABLE", "ENABLE"};
    dhcp.initialIndex = 2;
    CPropertyRow mac;
    mac.label = QStringLiteral("MAC_ADD");
    mac.value = QStringLiteral("00:11:22:33:44:55");
    mac.textRgb = CPropertyRow::kGrey;
    return {name, dhcp, mac};
}

// The editor the list opened for a cell.
template <typename Editor>
Editor* openEditor(CPropertyList& list, int row) {
    list.edit(list.model()->index(row, CPropertyList::kValueColumn));
    return list.viewport()->findChild<Editor*>();
}

}  // namespace

// The property list: its columns, its in-place editors and what they report.
class TestPropertyList : public QObject {
    Q_OBJECT

private slots:
    void layoutAndCells();
    void textEditReportsItsEnd();
    void unchangedEditIsNoChange();
    void comboChoiceCommits();
    void programWritesAreNoUserChanges();
};

void TestPropertyList::layoutAndCells() {
    CPropertyList list;
    QAbstractItemModelTester tester(list.model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    list.setValueHeader(QStringLiteral("IP: 10.0.0.7"));
    list.setRows(page());
    QCOMPARE(list.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Properties"));
    QCOMPARE(list.model()->headerData(1, Qt::Horizontal).toString(),
             QStringLiteral("IP: 10.0.0.7"));
    QCOMPARE(list.horizontalHeader()->sectionSize(0), CPropertyList::kLabelWidth);
    QVERIFY(list.showGrid());
    QCOMPARE(list.selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(list.rowCount(), 3);
    QCOMPARE(list.cellText(2, 0), QStringLiteral("MAC_ADD"));
    QCOMPARE(list.model()->index(2, 1).data(Qt::ForegroundRole).value<QColor>(),
             QColor(128, 128, 128));
    QCOMPARE(list.model()->index(0, 1).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 0));
    QCOMPARE(list.model()->index(0, 1).data(Qt::BackgroundRole).value<QColor>(),
             QColor(255, 255, 255));
    QVERIFY(list.model()->flags(list.model()->index(0, 1)) & Qt::ItemIsEditable);
    QVERIFY(!(list.model()->flags(list.model()->index(2, 1)) & Qt::ItemIsEditable));
    QVERIFY(!(list.model()->flags(list.model()->index(0, 0)) & Qt::ItemIsEditable));
    list.clearRows();
    QCOMPARE(list.rowCount(), 0);
}

void TestPropertyList::textEditReportsItsEnd() {
    CPropertyList list;
    list.setRows(page());
    list.show();
    QSignalSpy ended(&list, &CPropertyList::editEnded);
    auto* editor = openEditor<QLineEdit>(list, 0);
    QVERIFY(editor != nullptr);
    QCOMPARE(editor->text(), QStringLiteral("Lobby"));
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("Hall"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(ended.size(), 1);
    QCOMPARE(ended[0], (QList<QVariant>{0, 1}));
    QCOMPARE(list.cellText(0, 1), QStringLiteral("Hall"));
    QVERIFY(list.takeModified(0));
    QVERIFY(!list.isModified(0));
}

void TestPropertyList::unchangedEditIsNoChange() {
    CPropertyList list;
    list.setRows(page());
    list.show();
    QSignalSpy ended(&list, &CPropertyList::editEnded);
    auto* editor = openEditor<QLineEdit>(list, 0);
    QVERIFY(editor != nullptr);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(ended.size(), 1);
    QVERIFY(!list.takeModified(0));
    // Escape closes without committing: no change either.
    editor = openEditor<QLineEdit>(list, 0);
    QTest::keyClicks(editor, QStringLiteral("x"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QTRY_VERIFY(list.viewport()->findChild<QLineEdit*>() == nullptr);
    QCOMPARE(list.cellText(0, 1), QStringLiteral("Lobby"));
    QVERIFY(!list.isModified(0));
}

void TestPropertyList::comboChoiceCommits() {
    CPropertyList list;
    list.setRows(page());
    list.show();
    QSignalSpy selected(&list, &CPropertyList::comboSelected);
    QSignalSpy ended(&list, &CPropertyList::editEnded);
    auto* combo = openEditor<QComboBox>(list, 1);
    QVERIFY(combo != nullptr);
    QCOMPARE(combo->count(), 3);
    QCOMPARE(combo->currentIndex(), 2);  // the later of the two equal options
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected[0], (QList<QVariant>{1, 1}));
    QCOMPARE(ended.size(), 0);
    QCOMPARE(list.cellText(1, 1), QStringLiteral("DISABLE"));
    QVERIFY(list.takeModified(1));
}

void TestPropertyList::programWritesAreNoUserChanges() {
    CPropertyList list;
    list.setRows(page());
    list.setCellText(0, QStringLiteral("HALL"));
    QCOMPARE(list.cellText(0, 1), QStringLiteral("HALL"));
    QVERIFY(!list.isModified(0));
    // A new page forgets every flag of the old one.
    list.model()->setData(list.model()->index(0, 1), QStringLiteral("x"), Qt::EditRole);
    QVERIFY(list.isModified(0));
    list.setRows(page());
    QVERIFY(!list.isModified(0));
}

QTEST_MAIN(TestPropertyList)
#include "TestPropertyList.moc"
