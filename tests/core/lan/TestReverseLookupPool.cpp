#include "support/CFakeHostNameResolver.h"

#include "core/lan/CReverseLookupPool.h"

#include <QTest>

// Reverse look-ups run on threads nobody waits for; a name server that never answers
// must not make them pile up, Rescan after Rescan.
class TestReverseLookupPool : public QObject {
    Q_OBJECT

private slots:
    void stuckLookUpsDoNotPileUp();
};

void TestReverseLookupPool::stuckLookUpsDoNotPileUp() {
    auto resolver = std::make_shared<CFakeHostNameResolver>();
    resolver->addName(99, QStringLiteral("late"));
    resolver->holdLookUps();
    for (int rescan = 0; rescan < 3; ++rescan) {
        CReverseLookupPool pool(resolver, CReverseLookupPool::kMaxThreadsInAll);
        for (quint32 host = 1; host <= 20; ++host) {
            pool.request(host);
        }
        QTRY_COMPARE(resolver->lookUpCount(), CReverseLookupPool::kMaxThreadsInAll);
    }
    CReverseLookupPool fresh(resolver, 4);
    fresh.request(99);
    // Every look-up that started is still stuck, so none more may start.
    QTest::qWait(50);
    QCOMPARE(resolver->lookUpCount(), CReverseLookupPool::kMaxThreadsInAll);

    resolver->releaseLookUps();
    QHash<quint32, QString> answers;
    QTRY_VERIFY((answers.insert(fresh.takeAnswers()), answers.contains(99)));
    QCOMPARE(answers, (QHash<quint32, QString>{{99, QStringLiteral("late")}}));
}

QTEST_GUILESS_MAIN(TestReverseLookupPool)
#include "TestReverseLookupPool.moc"
