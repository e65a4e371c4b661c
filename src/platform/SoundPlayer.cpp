// SPDX-License-Identifier: MIT
#include "SoundPlayer.h"

#include "WaveFile.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QDateTime>
#include <QFileInfo>
#include <QMediaDevices>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace brivel {

namespace {

// How long a synchronous caller waits for the sound thread to take the job.
constexpr std::chrono::milliseconds StartTimeout{5000};
// Slack on top of a sound's own length before it is given up for lost.
constexpr qint64 EndSlackMs = 5000;
// Silence after the samples beyond the server's buffer, so the last samples
// are heard before the stream closes.
constexpr qint64 TailMs = 50;
// How often a playing sound's buffer is topped up.
constexpr int FeedPeriodMs = 10;

// What a caller learns about one play: whether it started, and when it ended.
struct Job {
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

// The file as it was when it was read ahead: a changed file is read again.
struct FileStamp {
    qint64 size = -1;
    QDateTime modified;
    static FileStamp of(const QString &path)
    {
        const QFileInfo info(path);
        return {info.exists() ? info.size() : -1, info.lastModified()};
    }
    bool operator==(const FileStamp &) const = default;
};

// Qt's PulseAudio sink must not be destroyed while it plays: its destructor
// runs pending events of its own, which then write to the closed stream.
// Stopped first and deleted on a later turn, it goes quietly.
struct SinkDeleter {
    void operator()(QAudioSink *sink) const
    {
        sink->stop();
        sink->deleteLater();
    }
};

} // namespace

// Lives on the sound thread and owns every stream, read ahead or playing.
class SoundPlayer::Worker : public QObject {
public:
    void prepare(const QString &path)
    {
        if (!m_ready || m_ready->path != path || !m_ready->stream
            || m_ready->stamp != FileStamp::of(path))
            m_ready = makeVoice(path);
    }

    // Starts a sound; reports to job, and beeps through beep on failure when
    // the caller does not wait to beep itself.
    void start(const QString &path, const std::shared_ptr<Job> &job,
               const std::function<void()> &beep)
    {
        prepare(path);
        std::unique_ptr<Voice> voice = std::move(m_ready);
        if (!begin(*voice)) {
            job->start(false, 0);
            if (beep)
                beep();
            return;
        }
        voice->job = job;
        voice->serial = ++m_serial;
        const qint64 duration = voice->source->layout().durationMs();
        Voice *v = voice.get();
        v->guard.setSingleShot(true);
        connect(&v->guard, &QTimer::timeout, this, [this, v] { finish(v); });
        v->guard.start(int(std::min<qint64>(duration + EndSlackMs, INT_MAX)));
        m_playing.push_back(std::move(voice));
        job->start(true, duration);
    }

    // Silences everything before the thread ends.
    void shutdown()
    {
        m_ready.reset();
        m_playing.clear();
    }

private:
    struct Voice {
        ~Voice() { QObject::disconnect(stateChanged); }

        QString path;
        FileStamp stamp;
        std::unique_ptr<WaveStream> stream; // until it plays; then its sink owns it
        WaveStream *source = nullptr;
        std::unique_ptr<QAudioSink, SinkDeleter> sink;
        QIODevice *out = nullptr; // the sink's own, written into
        QTimer feeder;            // after the sink: stops first
        QMetaObject::Connection stateChanged;
        std::shared_ptr<Job> job;
        QTimer guard;
        quint64 serial = 0;
        bool finished = false;
    };

    static std::unique_ptr<Voice> makeVoice(const QString &path)
    {
        auto voice = std::make_unique<Voice>();
        voice->path = path;
        voice->stamp = FileStamp::of(path);
        voice->stream = WaveStream::open(path);
        return voice;
    }

    bool begin(Voice &voice)
    {
        if (!voice.stream)
            return false;
        const QAudioFormat format = voice.stream->format();
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull() || !device.isFormatSupported(format))
            return false;
        voice.sink.reset(new QAudioSink(device, format));
        voice.source = voice.stream.release();
        voice.source->setParent(voice.sink.get());
        // Pushed rather than pulled: a pulled sink reads its first period a
        // whole period (20 ms) after it starts, and the ring would be as late.
        voice.out = voice.sink->start();
        if (!voice.out || voice.sink->state() == QAudio::StoppedState
            || voice.sink->error() != QAudio::NoError)
            return false;
        const qint64 tail = voice.sink->bufferSize() + format.bytesForDuration(TailMs * 1000);
        voice.source->setTrailingSilence(tail);
        feed(voice);
        Voice *v = &voice;
        voice.feeder.setTimerType(Qt::PreciseTimer);
        connect(&voice.feeder, &QTimer::timeout, this, [v] { feed(*v); });
        voice.feeder.start(FeedPeriodMs);
        voice.stateChanged = connect(voice.sink.get(), &QAudioSink::stateChanged, this,
                                     [this, v](QAudio::State state) {
                                         if (state == QAudio::StoppedState
                                             || (state == QAudio::IdleState && v->source->atEnd()))
                                             finish(v);
                                     });
        return true;
    }

    // Tops the sound server's buffer up from the file.
    static void feed(Voice &voice)
    {
        const qint64 room = voice.sink->bytesFree();
        if (room > 0 && !voice.source->atEnd()) {
            const QByteArray chunk = voice.source->read(room);
            if (!chunk.isEmpty())
                voice.out->write(chunk);
        }
        if (voice.source->atEnd())
            voice.feeder.stop();
    }

    // Called from the sink's own signal: the voice goes on the next turn.
    void finish(Voice *voice)
    {
        if (voice->finished)
            return;
        voice->finished = true;
        voice->guard.stop();
        voice->feeder.stop();
        if (voice->job)
            voice->job->finish();
        QMetaObject::invokeMethod(
            this,
            [this, serial = voice->serial] {
                const auto it =
                    std::find_if(m_playing.begin(), m_playing.end(),
                                 [serial](const auto &v) { return v->serial == serial; });
                if (it == m_playing.end())
                    return;
                const std::unique_ptr<Voice> done = std::move(*it);
                m_playing.erase(it);
            },
            Qt::QueuedConnection);
    }

    std::unique_ptr<Voice> m_ready;
    std::vector<std::unique_ptr<Voice>> m_playing;
    quint64 m_serial = 0;
};

SoundPlayer::SoundPlayer(std::function<void()> beep) : m_beep(std::move(beep)) {}

SoundPlayer::~SoundPlayer()
{
    if (!m_thread)
        return;
    Worker *w = m_worker;
    QMetaObject::invokeMethod(
        w,
        [w] {
            w->shutdown();
            w->thread()->quit();
        },
        Qt::QueuedConnection);
    // A sound server that stopped answering may hold the thread; the process
    // is ending, so leave it rather than wait forever.
    if (!m_thread->wait(3000))
        (void)m_thread.release();
}

SoundPlayer::Worker &SoundPlayer::worker()
{
    if (!m_thread) {
        // The sound system belongs to this thread; the sound thread only uses it.
        (void)QMediaDevices::defaultAudioOutput();
        m_thread = std::make_unique<QThread>();
        m_thread->setObjectName(QStringLiteral("Brivel sound"));
        m_worker = new Worker;
        m_worker->moveToThread(m_thread.get());
        QObject::connect(m_thread.get(), &QThread::finished, m_worker, &QObject::deleteLater);
        m_thread->start();
    }
    return *m_worker;
}

void SoundPlayer::preload(const QString &path)
{
    Worker &w = worker();
    QMetaObject::invokeMethod(
        &w, [&w, path] { w.prepare(path); }, Qt::QueuedConnection);
}

void SoundPlayer::play(const QString &path, bool wait)
{
    Worker &w = worker();
    auto job = std::make_shared<Job>();
    if (!wait) {
        // Beep back on this thread, as the caller's own beep would.
        QObject *context = &m_context;
        auto beep = [context, this] {
            QMetaObject::invokeMethod(
                context,
                [this] {
                    if (m_beep)
                        m_beep();
                },
                Qt::QueuedConnection);
        };
        QMetaObject::invokeMethod(
            &w, [&w, path, job, beep] { w.start(path, job, beep); }, Qt::QueuedConnection);
        return;
    }

    QMetaObject::invokeMethod(
        &w, [&w, path, job] { w.start(path, job, {}); }, Qt::QueuedConnection);
    std::unique_lock lock(job->mutex);
    if (!job->changed.wait_for(lock, StartTimeout, [&job] { return job->started; }) || !job->ok) {
        lock.unlock();
        if (m_beep)
            m_beep();
        return;
    }
    job->changed.wait_for(lock, std::chrono::milliseconds(job->durationMs + EndSlackMs),
                          [&job] { return job->finished; });
}

} // namespace brivel
