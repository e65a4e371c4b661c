// SPDX-License-Identifier: MIT
// The real platform's message box, and its sounds without the sound module.
#include "platform/LinuxPlatform.h"
#include "platform/SoundPlayer.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace brivel;

class TestLinuxPlatform : public QObject {
    Q_OBJECT
private slots:
    // OK only, no icon, title "Brivel", modal; CR LF breaks the line and the
    // text is shown as it is, never as markup.
    void messageBox()
    {
        LinuxPlatform platform;
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::Information;
        QList<QAbstractButton *> buttons;
        Qt::WindowModality modality = Qt::NonModal;
        Qt::TextFormat format = Qt::AutoText;
        QTimer::singleShot(0, this, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            auto *box = qobject_cast<QMessageBox *>(modal);
            if (!box) {
                if (modal)
                    modal->close();
                return;
            }
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = box->buttons();
            modality = box->windowModality();
            format = box->textFormat();
            box->button(QMessageBox::Ok)->click();
        });
        platform.messageBox(QStringLiteral("Please type the <b>number</b>\r\nyou want."));
        QCOMPARE(title, QStringLiteral("Brivel"));
        QCOMPARE(text, QStringLiteral("Please type the <b>number</b>\nyou want."));
        QCOMPARE(icon, QMessageBox::NoIcon);
        QCOMPARE(buttons.size(), 1);
        QCOMPARE(modality, Qt::ApplicationModal);
        QCOMPARE(format, Qt::PlainText);
    }

    // A program folder that lost its sound module still runs: no device, and
    // each sound, waited for or not, is one beep on the caller's thread.
    void missingSoundModule()
    {
        int beeps = 0;
        SoundPlayer player(QStringLiteral(BRIVEL_PROGRAM_DIR "/no-such-module.so"),
                           [&beeps] { ++beeps; });
        QCOMPARE(player.outputCount(), 0);
        QCOMPARE(player.outputCount(), 0);
        const QString ring = QStringLiteral(BRIVEL_PROGRAM_DIR "/Phonenew.wav");
        player.preload(ring);
        player.play(ring, true);
        QCOMPARE(beeps, 1);
        player.play(ring, false);
        QTRY_COMPARE(beeps, 2);
    }
};

QTEST_MAIN(TestLinuxPlatform)
#include "tst_linuxplatform.moc"
