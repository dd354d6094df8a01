#include "point_table_model.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using collinear::PointTable;
using collinear::PointTableModel;

class TestPointTableModel : public QObject {
    Q_OBJECT

private slots:
    void followsTheTableThroughEveryChange()
    {
        PointTable table;
        PointTableModel xs(table, PointTable::X);
        PointTableModel ns(table, PointTable::N);
        QAbstractItemModelTester xTester(&xs,
                                         QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester nTester(&ns,
                                         QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy inserted(&xs, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&ns, &QAbstractItemModel::rowsRemoved);

        table.Append(15, 50, 1);
        table.Append(25, 50, 2);
        table.Append(35, 50, 3);
        QCOMPARE(inserted.count(), 3);
        QCOMPARE(xs.rowCount(), 3);
        QCOMPARE(xs.index(1).data().toString(), QStringLiteral("25"));
        QCOMPARE(ns.index(2).data().toString(), QStringLiteral("3"));

        table.RemoveRow(1);
        QCOMPARE(removed.count(), 1);
        QCOMPARE(removed.at(0).at(1).toInt(), 1);
        QCOMPARE(ns.index(1).data().toString(), QStringLiteral("3"));
        QCOMPARE(xs.index(1).data().toString(), QStringLiteral("35"));

        table.ClearAll();
        QCOMPARE(xs.rowCount(), 0);
        QCOMPARE(ns.rowCount(), 0);
        table.Append(5, 5, 4);
        QCOMPARE(ns.index(0).data().toString(), QStringLiteral("4"));
    }
};

QTEST_MAIN(TestPointTableModel)
#include "tst_point_table_model.moc"
