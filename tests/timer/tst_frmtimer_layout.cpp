// SPDX-License-Identifier: MIT
// The main window as designed: places, texts, fonts, focus order, menus,
// frame and icon, and what the load step makes of the stored alarm.
#include "TimerRig.h"

#include <QAction>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>

using namespace brivel;
using test::TimerRig;

namespace {
const QString kPrompt = QStringLiteral("Please type desired number of minutes:");
const QStringList kFaces = {QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                            QStringLiteral("Arial"), QStringLiteral("Nimbus Sans")};

// Room for text inside a control, as the style lays it out.
QSize textRoom(QWidget *control)
{
    if (auto *button = qobject_cast<QPushButton *>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        return button->style()
            ->subElementRect(QStyle::SE_PushButtonContents, &option, button)
            .size();
    }
    if (auto *edit = qobject_cast<QLineEdit *>(control)) {
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
        const QRect r = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
        // The text box keeps 2 px each side, 1 px above and below, and a cursor.
        return r.size() - QSize(2 * 2 + 1, 2 * 1);
    }
    return control->contentsRect().size();
}
} // namespace

class TestLayout : public QObject {
    Q_OBJECT
private slots:
    // Every control at its place with its text, tooltip, font and state,
    // every caption (and the widest time in the entry) inside its box, and
    // no control moved by a resize.
    void controls()
    {
        struct Row {
            const char *name;
            QRect place;
            QString text, tip;
            qreal points;
            bool bold, enabled;
        };
        const QString tipMin = QStringLiteral("Enter whole minutes - use decimal for fractions");
        // clang-format off
        const Row rows[] = {
            {"txtNumMin", {56, 35, 103, 30}, {}, tipMin, 18, false, true},
            {"cmdGo", {80, 79, 63, 23}, "Start", "Start timer", 8.25, true, true},
            {"cmdExit", {166, 124, 52, 20}, "Exit", "Exit Brivel", 8.25, false, true},
            {"cmdReset", {8, 79, 63, 23}, "Reset", "Stop & Clear Timer", 8.25, false, false},
            {"cmdPause", {152, 79, 63, 23}, "Pause", "Pause Timer", 8.25, false, false},
            {"lblLabel1", {5, 10, 214, 19}, kPrompt, {}, 8.25, false, true},
            {"txtMemo", {9, 124, 138, 19}, {}, {}, 8.25, false, true},
            {"lblMemo", {10, 108, 39, 18}, "Memo:", {}, 8.25, false, true},
        };
        // clang-format on
        TimerRig rig;
        rig.w->resize(400, 300);
        for (const Row &r : rows) {
            auto *c = rig.w->findChild<QWidget *>(QLatin1String(r.name));
            QVERIFY2(c, r.name);
            const QString face = QFontInfo(c->font()).family().section(QStringLiteral(" ["), 0, 0);
            QVERIFY2(c->geometry() == r.place, r.name);
            QVERIFY2(c->property("text").toString() == r.text, r.name);
            QVERIFY2(c->toolTip() == r.tip, r.name);
            QVERIFY2(c->font().families().value(0) == QLatin1String("MS Sans Serif"), r.name);
            QVERIFY2(kFaces.contains(face), qPrintable(face));
            QVERIFY2(c->font().pointSizeF() == r.points && c->font().bold() == r.bold, r.name);
            QVERIFY2(c->isEnabled() == r.enabled, r.name);
            QStringList texts{r.text};
            if (c == rig.w->cmdPause)
                texts << QStringLiteral("Resume");
            if (c == rig.w->txtNumMin)
                texts << QStringLiteral("99:59:00");
            const QFontMetrics fm(c->font());
            const QSize room = textRoom(c);
            for (const QString &t : texts) {
                QVERIFY2(fm.horizontalAdvance(t) <= room.width(), qPrintable(face + ": " + t));
                QVERIFY2(fm.tightBoundingRect(t).height() <= room.height(), qPrintable(t));
            }
        }
    }

    void window()
    {
        TimerRig rig;
        frmTimer *w = rig.w;
        QCOMPARE(w->objectName(), QStringLiteral("frmTimer"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Brivel"));
        QCOMPARE(w->centralWidget()->size(), QSize(224, 149));
        QCOMPARE(w->centralWidget()->y(), w->menuBar()->height());
        const QRect screen = w->screen()->availableGeometry();
        QVERIFY((w->frameGeometry().center() - screen.center()).manhattanLength() <= 2);
        // Sizable, minimize and close, no maximize; a maximize is taken back.
        const Qt::WindowFlags flags = w->windowFlags();
        QVERIFY(flags & Qt::WindowMinimizeButtonHint);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(w->minimumSize() != w->maximumSize());
        w->setWindowState(Qt::WindowMaximized);
        QTRY_VERIFY(!(w->windowState() & Qt::WindowMaximized));
        // The program icon from the resources, both sizes.
        const QList<QSize> sizes = w->windowIcon().availableSizes();
        QVERIFY(sizes.contains(QSize(16, 16)));
        QVERIFY(sizes.contains(QSize(32, 32)));
        QCOMPARE(w->HelpContextID(), 1);
        // Initial state and load step.
        QCOMPARE(rig.focused(), QStringLiteral("txtNumMin"));
        QVERIFY(!w->Timer2->Enabled());
        QVERIFY(!w->Timer2->isArmed());
        QCOMPARE(w->txtMemo->maxLength(), 20);
        QVERIFY(!w->paused());
        QVERIFY(!w->mnuOptionsMute->isChecked());
    }

    void tabOrder_data()
    {
        QTest::addColumn<bool>("running");
        QTest::addColumn<QStringList>("cycle");
        QTest::newRow("idle") << false << QStringList{"cmdGo", "cmdExit", "txtMemo", "txtNumMin"};
        QTest::newRow("running") << true
                                 << QStringList{"cmdExit", "cmdReset", "cmdPause", "txtMemo",
                                                "txtNumMin"};
    }
    void tabOrder()
    {
        QFETCH(bool, running);
        QFETCH(QStringList, cycle);
        TimerRig rig;
        if (running)
            rig.start(QStringLiteral("5"));
        rig.w->txtNumMin->setFocus();
        QStringList seen;
        for (int i = 0; i < cycle.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen << rig.focused();
        }
        QCOMPARE(seen, cycle);
    }

    void menus()
    {
        TimerRig rig;
        frmTimer *w = rig.w;
        const auto names = [](QWidget *parent) {
            QStringList list;
            for (QAction *a : parent->actions())
                list << (a->menu() ? a->menu()->objectName() : a->objectName());
            return list;
        };
        QCOMPARE(names(w->menuBar()), (QStringList{"mnuFile", "mnuOptions", "mnuHelp"}));
        QCOMPARE(names(w->mnuFile), (QStringList{"mnuFileReset", "mnuFileExit"}));
        QCOMPARE(names(w->mnuOptions),
                 (QStringList{"mnuAlwaysOnTop", "mnuOptionsMute", "mnuOptionsSep1", "mnuNewPhone",
                              "mnuOldPhone", "mnuOptionsSep2", "mnuOptionsSoundPicker"}));
        QCOMPARE(names(w->mnuHelp), (QStringList{"mnuHelpBrivelHelp", "mnuHelpAboutBrivel"}));

        QStringList captions, checks;
        for (QMenu *m : {w->mnuFile, w->mnuOptions, w->mnuHelp}) {
            captions << m->title();
            for (QAction *a : m->actions()) {
                captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
                checks << QStringLiteral("%1%2")
                              .arg(a->isCheckable() ? "c" : "")
                              .arg(a->isChecked() ? "x" : "");
                QVERIFY(a->shortcut().isEmpty());
                QVERIFY(a->isEnabled() && a->isVisible());
            }
        }
        QCOMPARE(captions,
                 (QStringList{"&File", "&Reset", "E&xit", "&Options", "&Always On Top", "&Mute",
                              "-", "&New Phone", "&Old Phone", "-", "&Sound Picker", "&Help",
                              "&Brivel Help", "&About Brivel"}));
        QCOMPARE(checks, (QStringList{"", "", "c", "c", "", "cx", "c", "", "", "", ""}));
        QCOMPARE(w->mnuOptions->property("HelpContextID").toInt(), 2);
        QCOMPARE(w->mnuOptionsSoundPicker->property("HelpContextID").toInt(), 3);
        QCOMPARE(w->mnuHelp->property("HelpContextID").toInt(), 1);
    }

    // The stored alarm and the wave devices at load; the load stores nothing.
    void load_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("stored"); // empty: nothing stored
        QTest::addColumn<int>("devices");
        QTest::addColumn<QString>("marks"); // New Phone, Old Phone
        const QString f = QStringLiteral("/opt/brivel");
        // clang-format off
        QTest::newRow("first start") << f << "" << 2 << "x-";
        QTest::newRow("old phone") << f << f + "/Phonerng.wav" << 1 << "-x";
        QTest::newRow("case differs") << f << f + "/PHONERNG.wav" << 1 << "--";
        QTest::newRow("picked") << f << "/home/u/bell.wav" << 1 << "--";
        QTest::newRow("no device") << f << "" << 0 << "x-";
        QTest::newRow("root folder") << "/" << "//Phonerng.wav" << 1 << "-x";
        // clang-format on
    }
    void load()
    {
        QFETCH(QString, folder);
        QFETCH(QString, stored);
        QFETCH(int, devices);
        QFETCH(QString, marks);
        TimerRig rig([&](test::FakePlatform &fake) {
            fake.folder = folder;
            fake.waveDevices = devices;
            if (!stored.isEmpty())
                fake.SaveSetting("Brivel", "Settings\\WaveFile", "Current", stored);
            fake.saves = 0;
        });
        const QString wave = stored.isEmpty() ? folder + "/Phonenew.wav" : stored;
        QCOMPARE(rig.w->m_WaveFile, wave);
        QCOMPARE(QString(QLatin1Char(rig.w->mnuNewPhone->isChecked() ? 'x' : '-'))
                     + QLatin1Char(rig.w->mnuOldPhone->isChecked() ? 'x' : '-'),
                 marks);
        QCOMPARE(rig.w->blWav, devices > 0);
        QCOMPARE(rig.fake.saves, 0);
    }
};

QTEST_MAIN(TestLayout)
#include "tst_frmtimer_layout.moc"
