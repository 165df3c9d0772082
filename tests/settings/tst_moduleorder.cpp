#include "moduleorder.h"

#include <QtTest>

class tst_moduleOrder : public QObject {
    Q_OBJECT

private slots:
    void operations_data();
    void operations();
};

void tst_moduleOrder::operations_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("steps");     // "up:row", "down:row", "sort"
    QTest::addColumn<QList<int>>("selected");   // row after each step, -1 when nothing moved
    QTest::addColumn<QList<int>>("newOrder");   // old indexes in new order; empty: no change

    const QStringList three{"C", "A", "B"};
    QTest::newRow("up on the first row") << three << QStringList{"up:0"} << QList<int>{-1} << QList<int>{0, 1, 2};
    QTest::newRow("down on the last row") << three << QStringList{"down:2"} << QList<int>{-1}
                                          << QList<int>{0, 1, 2};
    QTest::newRow("no row selected") << three << QStringList{"down:-1"} << QList<int>{-1} << QList<int>{0, 1, 2};
    QTest::newRow("down twice") << three << QStringList{"down:0", "down:1"} << QList<int>{1, 2}
                                << QList<int>{1, 2, 0};
    QTest::newRow("up then down") << three << QStringList{"up:2", "down:1"} << QList<int>{1, 2}
                                  << QList<int>{0, 1, 2};
    QTest::newRow("by name") << three << QStringList{"sort"} << QList<int>{-1} << QList<int>{1, 2, 0};
    QTest::newRow("by name, upper case first") << QStringList{"b", "B", "a"} << QStringList{"sort"}
                                               << QList<int>{-1} << QList<int>{1, 2, 0};
    // The second "A" replaces the first: two positions for three modules change nothing.
    QTest::newRow("by name with a name twice") << QStringList{"A", "C", "A"} << QStringList{"sort"}
                                               << QList<int>{-1} << QList<int>{};
    QTest::newRow("one module only") << QStringList{"A"} << QStringList{"sort", "down:0"} << QList<int>{-1, -1}
                                     << QList<int>{0};
}

void tst_moduleOrder::operations()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, steps);
    QFETCH(QList<int>, selected);
    QFETCH(QList<int>, newOrder);
    const int count = int(names.size());
    moduleOrder order;
    order.reset(count);
    QVERIFY(order.isIdentity() && !order.changed());
    for (int i = 0; i < steps.size(); ++i) {
        const QStringList step = steps.at(i).split(QLatin1Char(':'));
        int row = -1;
        if (step.at(0) == QLatin1String("up"))
            row = order.moveUp(step.at(1).toInt(), count);
        else if (step.at(0) == QLatin1String("down"))
            row = order.moveDown(step.at(1).toInt(), count);
        else
            order.sortByName(names);
        QCOMPARE(row, selected.at(i));
    }
    QCOMPARE(order.newOrder(count), newOrder);
    QList<int> unchanged;
    for (int i = 0; i < count; ++i)
        unchanged.append(i);
    QCOMPARE(order.isIdentity(), newOrder == unchanged);
}

QTEST_MAIN(tst_moduleOrder)
#include "tst_moduleorder.moc"
