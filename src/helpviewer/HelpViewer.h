// SPDX-License-Identifier: MIT
#pragma once

#include "HelpFile.h"
#include "platform/WhenFramed.h"

#include <QRect>
#include <QWidget>

class QPushButton;
class QTextBrowser;
class QUrl;

namespace brivel::help {

class TopicBrowser;

// The help window: one topic of Brivel's help file at a time, with the
// contents one click away and a way back through the topics seen.
class HelpViewer : public QWidget {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget *parent = nullptr);
    ~HelpViewer() override;

    // Loads the file and shows the topic asked for, the contents when none
    // was; a file that cannot be shown is explained in the window instead.
    void open(const HelpRequest &request);
    void showTopic(int topic);
    // A later request for the same file: the topic (the first for one the
    // file lacks), then the window raised, taking the focus only when the
    // show value asks for it.
    void turnTo(int topic, int showWindow);
    // Opens beside the main window whose frame is given, never over it.
    void placeBeside(const QRect &mainFrame);
    // The topic on show; 0 when the file could not be shown.
    int currentTopic() const;

    QTextBrowser *browser() const;
    QPushButton *contentsButton() const { return m_contents; }

protected:
    void moveEvent(QMoveEvent *event) override;

private:
    void followLink(const QUrl &link);
    void applyPlace();

    QRect m_mainFrame;
    // Places the window again once the window manager has framed it.
    WhenFramed m_whenFramed{*this, 0, [this] { applyPlace(); }};

    HelpFile m_file;
    TopicBrowser *m_browser = nullptr;
    QPushButton *m_contents = nullptr;
    QPushButton *m_back = nullptr;
};

// Where a window of frame size `wanted` goes on `screen` beside `mainFrame`:
// on the side with the most room (right, left, below, above on a tie),
// shrunk to fit it. Null when the main window leaves no room at all.
QRect besideRect(const QRect &mainFrame, const QRect &screen, const QSize &wanted);

} // namespace brivel::help
