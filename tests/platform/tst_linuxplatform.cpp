// SPDX-License-Identifier: MIT
// The real platform's message box, and its sounds without the sound module.
#include "platform/LinuxPlatform.h"
#include "platform/SoundPlayer.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace brivel;

class TestLinuxPlatform : public QObject {
    Q_OBJECT
private slots:
    // A modal box titled Brivel with OK only; CR LF breaks the line and the
    // text is never taken as markup.
    void messageBox()
    {
        LinuxPlatform platform;
        QStringList seen;
        QTimer::singleShot(0, this, [&seen] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                const bool plain = box->icon() == QMessageBox::NoIcon && box->buttons().size() == 1
                                   && box->textFormat() == Qt::PlainText
                                   && box->windowModality() == Qt::ApplicationModal;
                seen << box->windowTitle() << box->text() << QVariant(plain).toString();
                box->button(QMessageBox::Ok)->click();
            }
        });
        platform.messageBox(QStringLiteral("Please type the <b>number</b>\r\nyou want."));
        QCOMPARE(seen, (QStringList{QStringLiteral("Brivel"),
                                    QStringLiteral("Please type the <b>number</b>\nyou want."),
                                    QStringLiteral("true")}));
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
