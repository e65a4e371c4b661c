// SPDX-License-Identifier: MIT
// The benchmark's floor: a bare Qt Widgets window with Brivel's menus and
// controls, the same sizes, texts and fonts, and nothing behind them (no
// sound, settings, icon or help). What Brivel costs above this is its own.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace {

constexpr int tw(int twips)
{
    return twips / 15;
}
QRect twRect(int left, int top, int width, int height)
{
    return {tw(left), tw(top), tw(width), tw(height)};
}

QFont designFont(qreal pointSize, bool bold = false)
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial"), QStringLiteral("Nimbus Sans")});
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

void addItem(QMenu *menu, const QString &caption, bool checkable, bool checked = false)
{
    QAction *action = menu->addAction(caption);
    action->setCheckable(checkable);
    action->setChecked(checked);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
                          | Qt::CustomizeWindowHint);
    window.setWindowTitle(QStringLiteral("Brivel"));
    window.setFont(designFont(8.25));

    auto *client = new QWidget(&window);
    window.setCentralWidget(client);
    auto *entry = new QLineEdit(client);
    entry->setGeometry(twRect(840, 525, 1545, 450));
    entry->setFont(designFont(18));
    entry->setToolTip(QStringLiteral("Enter whole minutes - use decimal for fractions"));
    auto *start = new QPushButton(QStringLiteral("Start"), client);
    start->setGeometry(twRect(1200, 1185, 945, 345));
    start->setFont(designFont(8.25, true));
    start->setToolTip(QStringLiteral("Start timer"));
    start->setDefault(true);
    auto *exitButton = new QPushButton(QStringLiteral("Exit"), client);
    exitButton->setGeometry(twRect(2490, 1860, 780, 300));
    exitButton->setToolTip(QStringLiteral("Exit Brivel"));
    auto *reset = new QPushButton(QStringLiteral("Reset"), client);
    reset->setGeometry(twRect(120, 1185, 945, 345));
    reset->setToolTip(QStringLiteral("Stop & Clear Timer"));
    reset->setEnabled(false);
    auto *pause = new QPushButton(QStringLiteral("Pause"), client);
    pause->setGeometry(twRect(2280, 1185, 945, 345));
    pause->setToolTip(QStringLiteral("Pause Timer"));
    pause->setEnabled(false);
    auto *prompt = new QLabel(QStringLiteral("Please type desired number of minutes:"), client);
    prompt->setGeometry(twRect(75, 150, 3210, 285));
    prompt->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    auto *memo = new QLineEdit(client);
    memo->setGeometry(twRect(135, 1860, 2070, 285));
    memo->setMaxLength(20);
    auto *memoLabel = new QLabel(QStringLiteral("Memo:"), client);
    memoLabel->setGeometry(twRect(150, 1620, 585, 270));

    QMenuBar *bar = window.menuBar();
    bar->setNativeMenuBar(false);
    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    addItem(file, QStringLiteral("&Reset"), false);
    addItem(file, QStringLiteral("E&xit"), false);
    QMenu *options = bar->addMenu(QStringLiteral("&Options"));
    addItem(options, QStringLiteral("&Always On Top"), true);
    addItem(options, QStringLiteral("&Mute"), true);
    options->addSeparator();
    addItem(options, QStringLiteral("&New Phone"), true, true);
    addItem(options, QStringLiteral("&Old Phone"), true);
    options->addSeparator();
    addItem(options, QStringLiteral("&Sound Picker"), false);
    QMenu *help = bar->addMenu(QStringLiteral("&Help"));
    addItem(help, QStringLiteral("&Brivel Help"), false);
    addItem(help, QStringLiteral("&About Brivel"), false);
    for (QMenu *menu : {file, options, help})
        menu->setFont(window.font());

    window.resize(tw(3360), tw(2235) + bar->sizeHint().height());
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window.move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window.size(),
                                        screen->availableGeometry())
                        .topLeft());
    entry->setFocus();
    window.show();
    return QApplication::exec();
}
