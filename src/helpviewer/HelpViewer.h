// SPDX-License-Identifier: MIT
#pragma once

#include "HelpFile.h"

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
    // The topic on show; 0 when the file could not be shown.
    int currentTopic() const;

    QTextBrowser *browser() const;
    QPushButton *contentsButton() const { return m_contents; }
    QPushButton *backButton() const { return m_back; }

private:
    void followLink(const QUrl &link);

    HelpFile m_file;
    TopicBrowser *m_browser = nullptr;
    QPushButton *m_contents = nullptr;
    QPushButton *m_back = nullptr;
};

} // namespace brivel::help
