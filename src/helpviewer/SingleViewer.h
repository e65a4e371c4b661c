// SPDX-License-Identifier: MIT
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

namespace brivel::help {

class HelpViewer;

// One viewer window per help file, as a system help viewer keeps it: the
// first viewer of a file serves a local socket named after the file's path;
// a later start hands its topic and show value over and ends. Socket and
// lock live only in a folder of the user's alone, and only the user's own
// viewers talk over them; without such a folder each start shows itself.
class SingleViewer : public QObject {
    Q_OBJECT
public:
    explicit SingleViewer(const QString &helpFile, QObject *parent = nullptr);
    ~SingleViewer() override;

    // True when a viewer of the file already runs and took the request;
    // false when this process is to show the file itself.
    bool handOver(int topic, int showWindow);
    // Turns the viewer to each topic later starts ask for.
    void serve(HelpViewer &viewer);

private:
    QString m_name; // empty: no private folder, no rendezvous
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLocalServer> m_server;
};

} // namespace brivel::help
