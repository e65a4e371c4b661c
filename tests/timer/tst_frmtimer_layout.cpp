// SPDX-License-Identifier: MIT
// The main window as the user sees it: its size, captions and tooltips,
// the menus, and the alarm the load step makes of the stored choice.
#include "TimerRig.h"

using namespace brivel;
using test::TimerRig;

class TestLayout : public QObject {
    Q_OBJECT
private slots:
    void captions()
    {
        TimerRig rig;
        frmTimer *w = rig.w;
        QCOMPARE(w->centralWidget()->size(), QSize(224, 149));
        QStringList seen; // captions | tooltips, then the menus
        for (QWidget *c :
             std::initializer_list<QWidget *>{w->lblLabel1, w->txtNumMin, w->cmdReset, w->cmdGo,
                                              w->cmdPause, w->lblMemo, w->cmdExit})
            seen << c->property("text").toString() + " | " + c->toolTip();
        for (QMenu *m : {w->mnuFile, w->mnuOptions, w->mnuHelp}) {
            seen << m->title();
            for (QAction *a : m->actions())
                seen << (a->isSeparator() ? "-" : a->text());
        }
        QCOMPARE(seen.join(", "),
                 "Please type desired number of minutes: | ,  | Enter whole minutes - use decimal "
                 "for fractions, Reset | Stop & Clear Timer, Start | Start timer, Pause | Pause "
                 "Timer, Memo: | , Exit | Exit Brivel, &File, &Reset, E&xit, &Options, &Always On "
                 "Top, &Mute, -, &New Phone, &Old Phone, -, &Sound Picker, &Help, &Brivel Help, "
                 "&About Brivel");
    }

    // No caption is clipped in the fonts the desktop gives, the longest
    // countdown and "Resume" included.
    void captionsFit()
    {
        TimerRig rig;
        frmTimer *w = rig.w;
        const QList<std::pair<QWidget *, QString>> texts{{w->lblLabel1, w->lblLabel1->text()},
                                                         {w->lblMemo, w->lblMemo->text()},
                                                         {w->cmdGo, "Start"},
                                                         {w->cmdReset, "Reset"},
                                                         {w->cmdPause, "Resume"},
                                                         {w->cmdExit, "Exit"},
                                                         {w->txtNumMin, "99:59:00"}};
        for (const auto &[control, text] : texts) {
            QRect room = control->contentsRect();
            if (auto *button = qobject_cast<QPushButton *>(control)) {
                QStyleOptionButton option;
                option.initFrom(button);
                room =
                    button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
            } else if (qobject_cast<QLineEdit *>(control)) {
                room.adjust(3, 1, -3, -1); // the text box's margins and cursor
            }
            const QFontMetrics fm(control->font());
            QVERIFY2(fm.horizontalAdvance(text) <= room.width()
                         && fm.tightBoundingRect(text).height() <= room.height(),
                     qPrintable(QFontInfo(control->font()).family() + ": " + text));
        }
    }

    // The stored alarm and the wave devices at load; the load stores nothing.
    void load_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("stored"); // empty: nothing stored
        QTest::addColumn<int>("devices");
        QTest::addColumn<QString>("marks"); // New Phone, Old Phone
        const char *f = "/opt/brivel";
        // clang-format off
        for (const auto &[folder, stored, devices, marks] :
             {std::tuple{f, "", 0, "x-"}, {f, "/opt/brivel/Phonerng.wav", 2, "-x"},
              {f, "/opt/brivel/PHONERNG.wav", 1, "--"}, {f, "/home/u/bell.wav", 1, "--"},
              {"/", "//Phonerng.wav", 1, "-x"}})
            // clang-format on
            QTest::addRow("%s %s", folder, stored) << folder << stored << devices << marks;
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
        QCOMPARE(rig.w->m_WaveFile, stored.isEmpty() ? folder + "/Phonenew.wav" : stored);
        QCOMPARE(QString(rig.w->mnuNewPhone->isChecked() ? "x" : "-")
                     + (rig.w->mnuOldPhone->isChecked() ? "x" : "-"),
                 marks);
        QCOMPARE(rig.w->blWav, devices > 0);
        QCOMPARE(rig.fake.saves, 0);
    }
};

QTEST_MAIN(TestLayout)
#include "tst_frmtimer_layout.moc"
