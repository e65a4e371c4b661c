// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QMap>
#include <QString>

namespace brivel::help {

// What the viewer was asked to show: a topic (0 for the contents) and the
// help file.
struct HelpRequest {
    int topic = 0;
    QString path;
};

// The command tail "-topic N path" or just "path". The path is the rest of
// the text as it stands, blanks and all.
HelpRequest parseRequest(const QString &commandTail);

// Brivel's help file: one HTML document whose topics each begin with a
// marker line "<!-- topic N -->". Everything before the first marker (the
// head with its styles) is shared by every topic.
class HelpFile {
public:
    // Reads the file. When it cannot be shown, error() says why in the
    // user's words and there are no topics.
    static HelpFile load(const QString &path);

    QString error() const { return m_error; }
    QList<int> topics() const { return m_topics.keys(); }
    bool hasTopic(int topic) const { return m_topics.contains(topic); }
    // The page of a topic as a whole HTML document; the first topic stands
    // in for a number the file does not have.
    QString page(int topic) const;

private:
    QString m_head;
    QMap<int, QString> m_topics;
    QString m_error;
};

} // namespace brivel::help
