// SPDX-License-Identifier: MIT
#pragma once

// How a started program learns how to show itself, and how Brivel's help
// viewers talk to each other: Brivel and the viewer both read it from here.

#include <QByteArray>
#include <QList>
#include <QRect>

namespace brivel {

// Show-window values handed to started programs.
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWNOACTIVATE = 4; // a normal window that leaves the focus where it is

namespace viewer {

// Every started program finds its show-window value here.
inline constexpr char ShowWindowVariable[] = "BRIVEL_SHOW_WINDOW";
// Only a start that was given a frame to open beside carries this one.
inline constexpr char BesideVariable[] = "BRIVEL_BESIDE";

// A frame as the variable holds it: "x,y,width,height".
inline QByteArray frameText(const QRect &frame)
{
    return QByteArray::number(frame.x()) + ',' + QByteArray::number(frame.y()) + ','
           + QByteArray::number(frame.width()) + ',' + QByteArray::number(frame.height());
}

// The frame of such a text; a null rectangle for anything else.
inline QRect parseFrame(const QByteArray &text)
{
    const QList<QByteArray> parts = text.split(',');
    if (parts.size() != 4)
        return {};
    int values[4] = {};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts[i].toInt(&ok);
        if (!ok)
            return {};
    }
    return QRect(values[0], values[1], values[2], values[3]);
}

// What a later start tells the viewer already open: "topic show\n".
inline QByteArray topicMessage(int topic, int showWindow)
{
    return QByteArray::number(topic) + ' ' + QByteArray::number(showWindow) + '\n';
}

// The topic and show value of such a line; false for anything else.
inline bool parseTopicMessage(const QByteArray &line, int &topic, int &showWindow)
{
    const QList<QByteArray> words = line.trimmed().split(' ');
    bool topicOk = false;
    bool showOk = false;
    if (words.size() == 2) {
        topic = words[0].toInt(&topicOk);
        showWindow = words[1].toInt(&showOk);
    }
    return topicOk && showOk;
}

} // namespace viewer
} // namespace brivel
