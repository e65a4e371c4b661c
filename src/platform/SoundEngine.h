// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace brivel {

// Slack on top of a sound's own length before it is given up for lost: the
// engine ends the sound then, and a caller waiting for it stops waiting.
inline constexpr qint64 SoundEndSlackMs = 5000;

// What a caller learns about one play: whether it started, and when it ended.
struct SoundJob {
    std::mutex mutex;
    std::condition_variable changed;
    bool started = false;
    bool ok = false;
    bool finished = false;
    qint64 durationMs = 0;

    void start(bool success, qint64 ms)
    {
        {
            const std::lock_guard lock(mutex);
            started = true;
            ok = success;
            finished = !success;
            durationMs = ms;
        }
        changed.notify_all();
    }
    void finish()
    {
        {
            const std::lock_guard lock(mutex);
            finished = true;
        }
        changed.notify_all();
    }
};

// The sound system as the sound thread uses it. It lives in a module of its
// own, loaded by the sound thread, so that the program's start never waits
// for the sound libraries. Every call comes on the sound thread.
class SoundEngine {
public:
    virtual ~SoundEngine() = default;

    // The number of sound output devices; -1 while no sound server answers.
    virtual int outputCount() = 0;
    // Opens the file and reads its first half second, for a later start.
    virtual void prepare(const QString &path) = 0;
    // Starts a sound and reports to job; on failure, beep (when set) sounds.
    virtual void start(const QString &path, const std::shared_ptr<SoundJob> &job,
                       const std::function<void()> &beep) = 0;
    // The desktop's bell event sound, or a short tone of its own where the
    // sound theme has none. False when no sound server took it.
    virtual bool bell() = 0;
    // Silences everything before the thread ends.
    virtual void shutdown() = 0;
};

// The module's one entry point: a new engine, owned by the caller.
using CreateSoundEngine = SoundEngine *(*)();
inline constexpr char CreateSoundEngineSymbol[] = "brivel_create_sound_engine";

} // namespace brivel
