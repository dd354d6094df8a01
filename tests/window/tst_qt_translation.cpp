#include "qt_translation.h"

#include <QApplication>
#include <QMenu>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using collinear::InstallQtTranslation;

class TestQtTranslation : public QObject {
    Q_OBJECT

private slots:
    // Runs first, while no translation is installed.
    void missingFileLeavesQtEnglish()
    {
        QTemporaryDir empty;
        QVERIFY(empty.isValid());
        QVERIFY(!InstallQtTranslation(*QCoreApplication::instance(), empty.path()));
        QCOMPARE(QScrollBar::tr("Scroll here"), QStringLiteral("Scroll here"));
    }

    // The menu a right-click on a scroll bar opens is Qt's own; every entry
    // in it must read Bulgarian, with no English word left.
    void scrollBarMenuIsBulgarian()
    {
        QVERIFY2(InstallQtTranslation(*QCoreApplication::instance()),
                 "qtbase_bg.qm is not in Qt's translations folder (qt6-translations-l10n)");

        QScrollBar bar(Qt::Vertical);
        bar.setRange(0, 100);
        bar.resize(16, 200);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));

        // The scroll bar makes its menu in contextMenuEvent and runs it
        // with exec(), so it is read and closed from inside that loop.
        QStringList texts;
        QTimer::singleShot(0, this, [&texts] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* menu = qobject_cast<QMenu*>(widget);
                if (menu == nullptr || !menu->isVisible()) {
                    continue;
                }
                for (const QAction* action : menu->actions()) {
                    if (!action->isSeparator()) {
                        texts << action->text().remove(u'&');
                    }
                }
                menu->close();
            }
        });
        const QPoint position(8, 100);
        QContextMenuEvent event(QContextMenuEvent::Mouse, position, bar.mapToGlobal(position));
        QApplication::sendEvent(&bar, &event);

        QVERIFY2(!texts.isEmpty(), "no context menu opened");
        const QRegularExpression cyrillic(QStringLiteral("\\p{Cyrillic}"));
        const QRegularExpression latin(QStringLiteral("[A-Za-z]"));
        for (const QString& text : std::as_const(texts)) {
            QVERIFY2(text.contains(cyrillic) && !text.contains(latin), qPrintable(text));
        }
    }
};

QTEST_MAIN(TestQtTranslation)
#include "tst_qt_translation.moc"
