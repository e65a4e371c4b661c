// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <future>
#include <memory>

class QThread;

namespace brivel {

// Plays wave files the way a system sound service would, through the sound
// module at modulePath (libsndfile and the sound server's own client
// library): every sound is decoded and fed to the sound server on a thread
// of its own, plays to its end whatever the caller does next, and several
// may sound at once. A file that cannot be played sounds the standard beep.
class SoundPlayer {
public:
    // beep sounds the standard beep; it is always called on the thread that
    // made the player. The sound thread starts at once and counts the output
    // devices while the caller goes on.
    SoundPlayer(const QString &modulePath, std::function<void()> beep);
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer &) = delete;
    SoundPlayer &operator=(const SoundPlayer &) = delete;

    // Opens the file and reads its first half second now, so that a later
    // play of the same path starts at once. Returns at once.
    void preload(const QString &path);
    // Asynchronous (wait false): returns at once. Synchronous: returns when
    // the sound has ended, without running any event of the caller's thread
    // meanwhile (no input, no timers).
    void play(const QString &path, bool wait);
    // The number of sound output devices, -1 when not known: no sound server
    // answers, or the count takes longer than a moment. The first call takes
    // the count begun at construction; later calls count again.
    int outputCount();
    // The desktop's bell through the sound server; the X bell where no sound
    // server takes it. Returns at once.
    void bell();

private:
    class Worker;
    struct Home;
    std::future<int> countOutputs();

    std::shared_ptr<Home> m_home;
    QObject m_context; // on the caller's thread: receives the worker's beeps
    std::unique_ptr<QThread> m_thread;
    Worker *m_worker; // lives on m_thread, deleted when it finishes
    std::future<int> m_firstCount;
};

} // namespace brivel
