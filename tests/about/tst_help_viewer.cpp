// SPDX-License-Identifier: MIT
// The help viewer with the help file Brivel ships: the topics F1 asks for,
// links between them, and files that cannot be shown.
#include "HelpFile.h"
#include "HelpViewer.h"

#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

using namespace brivel::help;

namespace {
const QString kShipped = QStringLiteral(BRIVEL_PROGRAM_DIR "/Brivel Help.hlp");
const QStringList kHeadings{QStringLiteral("Starting a countdown"), QStringLiteral("Always On Top"),
                            QStringLiteral("Finding the file")};
} // namespace

class TestHelpViewer : public QObject {
    Q_OBJECT
private slots:
    void commandTail()
    {
        const HelpRequest f1 = parseRequest(QStringLiteral("-topic 3 /a  b/Brivel Help.hlp"));
        QCOMPARE(f1.topic, 3);
        QCOMPARE(f1.path, QStringLiteral("/a  b/Brivel Help.hlp"));
        const HelpRequest menu = parseRequest(QStringLiteral("/a b/Brivel Help.hlp"));
        QCOMPARE(menu.topic, 0);
        QCOMPARE(menu.path, QStringLiteral("/a b/Brivel Help.hlp"));
    }

    void opensAtTopic()
    {
        // 0 (the Help command) and unknown numbers show the first topic.
        const QList<QPair<int, int>> asked{{0, 1}, {1, 1}, {2, 2}, {3, 3}, {9, 1}};
        for (const auto &[topic, shown] : asked) {
            HelpViewer viewer;
            viewer.open({topic, kShipped});
            QCOMPARE(viewer.windowTitle(), QStringLiteral("Brivel Help"));
            QCOMPARE(viewer.currentTopic(), shown);
            const QString text = viewer.browser()->toPlainText();
            for (int i = 0; i < kHeadings.size(); ++i) // one topic at a time
                QCOMPARE(text.contains(kHeadings.at(i)), i + 1 == shown);
        }
    }

    void everyLinkLeadsToATopic()
    {
        const HelpFile file = HelpFile::load(kShipped);
        QCOMPARE(file.topics(), (QList<int>{1, 2, 3}));
        QFile source(kShipped);
        QVERIFY(source.open(QIODevice::ReadOnly));
        static const QRegularExpression link(QStringLiteral("href=\"#topic(\\d+)\""));
        for (const QRegularExpressionMatch &m :
             link.globalMatch(QString::fromUtf8(source.readAll())))
            QVERIFY2(file.hasTopic(m.captured(1).toInt()), qPrintable(m.captured(0)));

        // Tab to the first link of the contents, Enter follows it; Back returns.
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

    void fileThatCannotBeShown_data()
    {
        QTest::addColumn<QString>("name"); // in a temporary folder
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("says");
        QTest::newRow("missing") << "gone.hlp" << QByteArray() << "could not be found";
        QTest::newRow("a folder") << "." << QByteArray() << "could not be read";
        QTest::newRow("binary") << "old.hlp" << QByteArray("?_\3\0\x6f\0", 6) << "not a help file";
    }

    void fileThatCannotBeShown()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, says);
        QTemporaryDir dir;
        QFile file(dir.filePath(name));
        if (!content.isEmpty()) {
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
            file.close();
        }
        HelpViewer viewer;
        viewer.open({2, file.fileName()});
        QCOMPARE(viewer.currentTopic(), 0);
        QVERIFY2(viewer.browser()->toPlainText().contains(says),
                 qPrintable(viewer.browser()->toPlainText()));
        QVERIFY(!viewer.contentsButton()->isEnabled());
    }
};

QTEST_MAIN(TestHelpViewer)
#include "tst_help_viewer.moc"
