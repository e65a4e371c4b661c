// SPDX-License-Identifier: MIT
// The About dialog and its system information lookup, driven from the menu.
#include "FakePlatform.h"
#include "about/frmAbout.h"
#include "sound/MSysSnd.h"
#include "timer/Forms.h"
#include "timer/frmTimer.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

using namespace brivel;

namespace {
const QString kUnavailable = QStringLiteral("System Information Is Unavailable At This Time");
QString data(const char *name)
{
    return QStringLiteral(BRIVEL_TEST_DATA "/") + QLatin1String(name);
}
} // namespace

class TestAbout : public QObject {
    Q_OBJECT

    test::FakePlatform *fake = nullptr;

    frmAbout &openAbout()
    {
        Forms::Timer().mnuHelpAboutBrivel->trigger();
        frmAbout *about = Forms::AboutIfLoaded();
        Q_ASSERT(about);
        return *about;
    }

private slots:
    void init()
    {
        fake = new test::FakePlatform;
        Forms::setPlatform(fake);
    }

    void cleanup()
    {
        Forms::unloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete fake;
    }

    void systemInfo_data()
    {
        QTest::addColumn<QString>("hive");
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<qint64>("startResult");
        QTest::addColumn<QStringList>("started");
        QTest::addColumn<bool>("message");
        const QStringList tool{QStringLiteral("/opt/sysinfo/MSINFO32.EXE")};
        QTest::newRow("shipped hive")
            << QStringLiteral(BRIVEL_PROGRAM_DIR "/machine.reg") << QStringList() << qint64(4242)
            << QStringList{"/usr/bin/hardinfo"} << false;
        QTest::newRow("location 1 names a missing file, location 2 unused")
            << data("loc1_missing_tool.reg") << tool << qint64(0)
            << QStringList{"/opt/gone/hardinfo"} << true;
        QTest::newRow("location 1 of REG_EXPAND_SZ")
            << data("loc1_expand_sz.reg") << tool << qint64(4242) << QStringList() << true;
        QTest::newRow("location 2 with the tool")
            << data("loc2_folder.reg") << tool << qint64(4242) << tool << false;
        QTest::newRow("location 2 without the tool")
            << data("loc2_folder.reg") << QStringList() << qint64(4242) << QStringList() << true;
        QTest::newRow("location 2 tool that cannot start")
            << data("loc2_folder.reg") << tool << qint64(0) << tool << true;
        QTest::newRow("location 2 ending in a separator")
            << data("loc2_trailing_sep.reg") << QStringList{"/opt/sysinfo//MSINFO32.EXE"}
            << qint64(4242) << QStringList{"/opt/sysinfo//MSINFO32.EXE"} << false;
        QTest::newRow("location 2 of another type, tool in the root")
            << data("loc2_other_type.reg") << QStringList{"/MSINFO32.EXE"} << qint64(4242)
            << QStringList{"/MSINFO32.EXE"} << false;
        QTest::newRow("location 2 of another type") << data("loc2_other_type.reg") << QStringList()
                                                    << qint64(4242) << QStringList() << true;
        QTest::newRow("data size 0 stops at once")
            << data("size0.reg") << tool << qint64(4242) << QStringList() << true;
        QTest::newRow("missing hive")
            << data("absent.reg") << tool << qint64(4242) << QStringList() << true;
        QTest::newRow("malformed hive")
            << data("malformed.reg") << tool << qint64(4242) << QStringList() << true;
    }

    void systemInfo()
    {
        QFETCH(QString, hive);
        QFETCH(QStringList, started);
        QFETCH(bool, message);
        fake->hivePath = hive;
        QFETCH(QStringList, existing);
        fake->existingFiles = existing;
        QFETCH(qint64, startResult);
        fake->startResult = startResult;
        frmAbout &about = openAbout();
        QTest::mouseClick(about.cmdSysInfo, Qt::LeftButton);

        QStringList lines;
        for (const auto &s : fake->starts) {
            lines << s.commandLine;
            QCOMPARE(s.showWindow, SW_SHOWNORMAL);
        }
        QCOMPARE(lines, started);
        QCOMPARE(fake->messages, message ? QStringList{kUnavailable} : QStringList());
        QCOMPARE(fake->machineHive().openKeyCount(), 0);
        QCOMPARE(Forms::AboutIfLoaded(), &about);
        QVERIFY(about.isVisible());
    }

    void getKeyValue_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint16>("result");
        QTest::addColumn<QString>("value");
        const QString kept = QStringLiteral("as passed");
        QTest::newRow("REG_SZ") << "Text" << True << R"(C:\Tools "quoted")";
        QTest::newRow("default value") << "" << True << "default";
        QTest::newRow("with its NUL") << "SzNul" << True << "AB";
        QTest::newRow("without a NUL") << "SzNoNul" << True << "AB";
        QTest::newRow("only one NUL goes") << "SzTwoNul" << True << QString("AB") + QChar(0);
        QTest::newRow("REG_DWORD, last byte NUL") << "Dword" << True << "&h00002A";
        QTest::newRow("REG_DWORD") << "DwordFull" << True << "&h12345678";
        QTest::newRow("REG_BINARY") << "Binary" << True << kept;
        QTest::newRow("REG_EXPAND_SZ") << "Expand" << True << kept;
        QTest::newRow("REG_MULTI_SZ") << "Multi" << True << kept;
        QTest::newRow("1024 bytes") << "Fits" << True << QString(1023, QLatin1Char('x'));
        QTest::newRow("1025 bytes") << "TooLong" << False << "";
        QTest::newRow("no such value") << "Missing" << False << "";
    }

    void getKeyValue()
    {
        QFETCH(QString, name);
        fake->hivePath = data("values.reg");
        frmAbout &about = openAbout();
        HKEY root = HKEY_LOCAL_MACHINE;
        QString key = QStringLiteral("SOFTWARE\\Brivel\\Values");
        QString value = QStringLiteral("as passed");
        QTEST(about.GetKeyValue(root, key, name, value), "result");
        QTEST(value, "value");
        QCOMPARE(fake->machineHive().openKeyCount(), 0);

        // A missing key fails the same way.
        key = QStringLiteral("SOFTWARE\\Brivel\\Nothing");
        QCOMPARE(about.GetKeyValue(root, key, name, value), False);
        QCOMPARE(value, QString());

        // No data at all is an error for the caller; the key is closed all the same.
        key = QStringLiteral("SOFTWARE\\Brivel\\Values");
        QString empty = QStringLiteral("Empty");
        QVERIFY_THROWS_EXCEPTION(RegistryValueError, about.GetKeyValue(root, key, empty, value));
        QCOMPARE(fake->machineHive().openKeyCount(), 0);
    }

    void dialogLoads()
    {
        frmAbout &about = openAbout();
        QVERIFY(QTest::qWaitForWindowActive(&about));
        QCOMPARE(about.windowTitle(), QStringLiteral("About Brivel"));
        QCOMPARE(about.lblVersion->text(), QStringLiteral("Version 1.1.0"));
        QCOMPARE(about.lblTitle->text(), QStringLiteral("Brivel"));
        QVERIFY(!about.isModal() && !about.parentWidget());
        QCOMPARE(about.size(), QSize(382, 237));
        QCOMPARE(about.minimumSize(), about.maximumSize());
        const Qt::WindowFlags flags = about.windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & (Qt::WindowMinMaxButtonsHint | Qt::WindowStaysOnTopHint)));
        QVERIFY(fake->offTaskbar.contains(about.windowHandle()));
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY((about.geometry().center() - screen.center()).manhattanLength() <= 2);

        QCOMPARE(QApplication::focusWidget(), about.cmdOK);
        QVERIFY(about.cmdOK->isDefault());
        QCOMPARE(about.picIcon->pixmap().size(), QSize(32, 32));
        QVERIFY(about.lblTitle->font().pointSizeF() == 13.5 && about.lblTitle->font().bold());
        for (QLabel *black : {about.lblTitle, about.lblDescription, about.lblDisclaimer})
            QCOMPARE(black->palette().color(QPalette::WindowText), QColor(0, 0, 0));
        QCOMPARE(about.Line1[1]->palette().color(QPalette::Window), QColor(128, 128, 128));
        QCOMPARE(about.Line1[0]->palette().color(QPalette::Window), QColor(255, 255, 255));

        // Tab order: OK, the icon, System Info; labels never take the focus.
        // Enter on System Info looks the tool up and leaves the dialog open.
        QTest::keyClick(about.cmdOK, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), about.picIcon);
        QTest::keyClick(about.picIcon, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), about.cmdSysInfo);
        QTest::keyClick(about.cmdSysInfo, Qt::Key_Return);
        QCOMPARE(fake->messages, QStringList{kUnavailable});
        QTest::keyClick(about.cmdSysInfo, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), about.cmdOK);

        // Every control at its place (twips / 15); every text fits, wrapped at words.
        const QList<std::pair<QWidget *, QRect>> places{
            {about.cmdOK, {283, 175, 84, 23}},         {about.picIcon, {16, 16, 36, 36}},
            {about.cmdSysInfo, {284, 205, 83, 23}},    {about.lblDescription, {68, 61, 259, 45}},
            {about.lblDisclaimer, {12, 197, 258, 36}}, {about.lblTitle, {67, 11, 259, 32}},
            {about.lblVersion, {70, 38, 74, 15}},      {about.Label1, {69, 113, 141, 41}},
            {about.frmFrame1, {236, 101, 127, 56}},    {about.lblAddress, {11, 11, 104, 42}},
            {about.Label2, {11, 174, 258, 21}},        {about.Line1[1], {6, 163, 371, 1}},
            {about.Line1[0], {7, 164, 370, 2}}};
        for (const auto &[w, place] : places) {
            QCOMPARE(w->geometry(), place);
            const auto *label = qobject_cast<const QLabel *>(w);
            if (!label || w == about.picIcon)
                continue;
            const QRect need = label->fontMetrics().boundingRect(QRect(0, 0, label->width(), 1000),
                                                                 Qt::TextWordWrap, label->text());
            QVERIFY2(need.width() <= label->width() && need.height() <= label->height(),
                     qPrintable(label->text()));
        }

        // Keeping the main window on top leaves the dialog as it is.
        Forms::Timer().mnuAlwaysOnTop->trigger();
        QVERIFY(!(about.windowFlags() & Qt::WindowStaysOnTopHint));
    }

    void oneDialogAtATime()
    {
        frmAbout &first = openAbout();
        QCOMPARE(&openAbout(), &first);
        int shown = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            shown += qobject_cast<frmAbout *>(w) && w->isVisible();
        QCOMPARE(shown, 1);

        QTest::mouseClick(first.cmdOK, Qt::LeftButton);
        QCOMPARE(Forms::AboutIfLoaded(), nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        frmAbout &second = openAbout();
        QVERIFY(second.isVisible());
        QCOMPARE(second.windowTitle(), QStringLiteral("About Brivel"));
        QCOMPARE(second.lblVersion->text(), QStringLiteral("Version 1.1.0"));
    }

    void closes_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("OK") << 0;
        QTest::newRow("Enter") << 1;
        QTest::newRow("Escape") << 2;
        QTest::newRow("close box") << 3;
    }

    void closes()
    {
        QFETCH(int, how);
        frmAbout &about = openAbout();
        QVERIFY(QTest::qWaitForWindowActive(&about));
        const QPointer<frmAbout> alive(&about);
        if (how == 0)
            QTest::mouseClick(about.cmdOK, Qt::LeftButton);
        else if (how == 1)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        else if (how == 2)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        else
            about.close();
        QVERIFY(alive && !alive->isVisible());
        QCOMPARE(Forms::AboutIfLoaded(), nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!alive);
    }

    void exitLeavesTheDialogOpen()
    {
        Forms::Timer().show();
        frmAbout &about = openAbout();
        Forms::Timer().cmdExit->click();
        QCOMPARE(Forms::TimerIfLoaded(), nullptr);
        QCOMPARE(Forms::AboutIfLoaded(), &about);
        QVERIFY(about.isVisible());
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
