// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QThread;

namespace brivel {

// Plays wave files through Qt Multimedia, the way a system sound service
// would: every sound is read and fed to the sound server on a thread of its
// own, plays to its end whatever the caller does next, and several may
// sound at once. A file that cannot be played sounds the standard beep.
class SoundPlayer {
public:
    // beep sounds the standard beep; it is always called on the thread that
    // made the player.
    explicit SoundPlayer(std::function<void()> beep);
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

private:
    class Worker;
    Worker &worker();

    std::function<void()> m_beep;
    QObject m_context; // on the caller's thread: receives the worker's beeps
    std::unique_ptr<QThread> m_thread;
    Worker *m_worker = nullptr; // lives on m_thread, deleted when it finishes
};

} // namespace brivel
