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
        PointTableModel model(table);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);

        table.Append(15, 50, 1);
        table.Append(25, 50, 2);
        table.Append(35, 50, 3);
        QCOMPARE(inserted.count(), 3);
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.columnCount(), 3);
        QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("25"));
        QCOMPARE(model.index(1, 1).data().toString(), QStringLiteral("50"));
        QCOMPARE(model.index(2, 2).data().toString(), QStringLiteral("3"));

        table.RemoveRow(1);
        QCOMPARE(removed.count(), 1);
        QCOMPARE(removed.at(0).at(1).toInt(), 1);
        QCOMPARE(model.index(1, 2).data().toString(), QStringLiteral("3"));

        table.ClearAll();
        QCOMPARE(model.rowCount(), 0);
        table.Append(5, 5, 4);
        QCOMPARE(model.index(0, 2).data().toString(), QStringLiteral("4"));
    }
};

QTEST_MAIN(TestPointTableModel)
#include "tst_point_table_model.moc"
