// SPDX-License-Identifier: MIT
// The real platform's message box.
#include "platform/LinuxPlatform.h"

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
};

QTEST_MAIN(TestLinuxPlatform)
#include "tst_linuxplatform.moc"
