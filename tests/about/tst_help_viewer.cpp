// SPDX-License-Identifier: MIT
// The help viewer with the help file Brivel ships: the topics F1 asks for,
// links between them, and files that cannot be shown.
#include "HelpFile.h"
#include "HelpViewer.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

using namespace brivel::help;

namespace {
const QString kShipped = QStringLiteral(BRIVEL_PROGRAM_DIR "/Brivel Help.hlp");
} // namespace

class TestHelpViewer : public QObject {
    Q_OBJECT
private slots:
    // "-topic N path" from F1, the bare path from the Help command; 0 and
    // unknown numbers show the first topic, one topic at a time.
    void opensAtTopic()
    {
        QCOMPARE(parseRequest("/a b/Brivel Help.hlp").path, "/a b/Brivel Help.hlp");
        const QStringList headings{"Starting a countdown", "Always On Top", "Finding the file"};
        for (const auto &[topic, shown] : QList<QPair<int, int>>{{0, 1}, {2, 2}, {3, 3}, {9, 1}}) {
            const HelpRequest request =
                parseRequest(QString("-topic %1 %2").arg(topic).arg(kShipped));
            QCOMPARE(request.topic, topic);
            HelpViewer viewer;
            viewer.open(request);
            QCOMPARE(viewer.currentTopic(), shown);
            for (int i = 0; i < headings.size(); ++i)
                QCOMPARE(viewer.browser()->toPlainText().contains(headings[i]), i + 1 == shown);
        }
    }

    // Every link leads to a topic; Tab and Enter follow the first, Back returns.
    void links()
    {
        const HelpFile file = HelpFile::load(kShipped);
        QFile source(kShipped);
        QVERIFY(source.open(QIODevice::ReadOnly));
        static const QRegularExpression link("href=\"#topic(\\d+)\"");
        for (const QRegularExpressionMatch &m :
             link.globalMatch(QString::fromUtf8(source.readAll())))
            QVERIFY2(file.hasTopic(m.captured(1).toInt()), qPrintable(m.captured(0)));
        HelpViewer viewer;
        viewer.open({1, kShipped});
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        viewer.browser()->setFocus();
        QTest::keyClick(viewer.browser(), Qt::Key_Tab);
        QTest::keyClick(viewer.browser(), Qt::Key_Return);
        QCOMPARE(viewer.currentTopic(), 2);
        viewer.backButton()->click();
        QCOMPARE(viewer.currentTopic(), 1);
    }

    void fileThatCannotBeShown()
    {
        QTemporaryDir dir;
        QFile old(dir.filePath("old.hlp"));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("?_\3\0\x6f\0", 6) == 6);
        old.close();
        const QList<QPair<QString, QString>> cases{{"gone.hlp", "could not be found"},
                                                   {".", "could not be read"},
                                                   {"old.hlp", "not a help file"}};
        for (const auto &[name, says] : cases) {
            HelpViewer viewer;
            viewer.open({2, dir.filePath(name)});
            QCOMPARE(viewer.currentTopic(), 0);
            QVERIFY2(viewer.browser()->toPlainText().contains(says), qPrintable(name));
            QVERIFY(!viewer.contentsButton()->isEnabled());
        }
    }
};

QTEST_MAIN(TestHelpViewer)
#include "tst_help_viewer.moc"
