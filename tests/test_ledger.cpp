#include <QtTest>
class TestLedger : public QObject { Q_OBJECT };
QTEST_GUILESS_MAIN(TestLedger)
#include "test_ledger.moc"
