#include "main_window.h"

#include <QTest>

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void startsUp() { collinear::MainWindow window; QCOMPARE(window.GridStep(), 5); }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
