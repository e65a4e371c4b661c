// SPDX-License-Identifier: MIT
// The sound module: sound files decoded with libsndfile and streamed to the
// sound server with its own client library (PulseAudio, or PipeWire's
// server for it), and the desktop's bell through libcanberra. Loaded by the
// sound thread; every call comes there. The server's callbacks run on the
// client library's own thread, under its lock.
#include "platform/Logging.h"
#include "platform/SoundEngine.h"
#include "platform/audio/WaveFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <canberra.h>
#include <pulse/pulseaudio.h>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <numbers>
#include <vector>

namespace brivel {

namespace {

// How long a call waits for the sound server to answer.
constexpr std::chrono::milliseconds ServerTimeout{1500};
// What the server keeps buffered of a playing sound.
constexpr pa_usec_t BufferUs = 250'000;

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

// The bell of a sound theme without one: 0.2 s at 880 Hz, faded in and out.
bool writeTone(const QString &path)
{
    constexpr int Rate = 44100;
    constexpr int Frames = Rate / 5;
    std::vector<float> samples(Frames);
    for (int i = 0; i < Frames; ++i) {
        const double fade = std::min({1.0, i / 441.0, (Frames - i) / 441.0});
        samples[size_t(i)] = float(0.5 * fade * std::sin(2 * std::numbers::pi * 880 * i / Rate));
    }
    SF_INFO info{};
    info.samplerate = Rate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    const bool ok = sf_writef_float(file, samples.data(), Frames) == Frames;
    return sf_close(file) == 0 && ok;
}

struct CanberraCloser {
    void operator()(ca_context *context) const { ca_context_destroy(context); }
};

} // namespace

class PulseSoundEngine : public QObject, public SoundEngine {
public:
    PulseSoundEngine() : m_loop(pa_threaded_mainloop_new())
    {
        if (m_loop && pa_threaded_mainloop_start(m_loop) < 0) {
            pa_threaded_mainloop_free(m_loop);
            m_loop = nullptr;
        }
    }
    ~PulseSoundEngine() override { shutdown(); }

    int outputCount() override
    {
        if (!m_loop)
            return 0;
        const Lock lock(m_loop);
        if (!connected())
            return -1;
        struct Count {
            pa_threaded_mainloop *loop;
            int sinks = 0;
            bool done = false;
        } count{m_loop};
        pa_operation *op = pa_context_get_sink_info_list(
            m_context,
            [](pa_context *, const pa_sink_info *sink, int eol, void *data) {
                auto *c = static_cast<Count *>(data);
                c->sinks += sink ? 1 : 0;
                c->done = c->done || eol != 0;
                pa_threaded_mainloop_signal(c->loop, 0);
            },
            &count);
        const bool done = op && waitFor([&count] { return count.done; });
        if (op) {
            pa_operation_cancel(op);
            pa_operation_unref(op);
        }
        return done ? count.sinks : -1;
    }

    void prepare(const QString &path) override
    {
        if (m_ready.path == path && m_ready.stream && m_ready.stamp == FileStamp::of(path))
            return;
        const FileStamp stamp = FileStamp::of(path);
        const char *why = nullptr;
        std::unique_ptr<WaveStream> stream = WaveStream::open(path, &why);
        m_ready = {path, stamp, std::move(stream), why};
    }

    void start(const QString &path, const std::shared_ptr<SoundJob> &job,
               const std::function<void()> &beep) override
    {
        prepare(path);
        auto voice = std::make_unique<Voice>();
        voice->source = std::move(m_ready.stream);
        const char *why = m_ready.why ? m_ready.why : "not a sound file";
        m_ready = {};
        voice->engine = this;
        voice->job = job;
        voice->serial = ++m_serial;
        if (voice->source)
            why = m_loop ? begin(*voice) : "no sound server client";
        if (why) {
            qCDebug(lcSound) << "The bell instead of" << path << "-" << why;
            job->start(false, 0);
            if (beep)
                beep();
            return;
        }
        const qint64 duration = voice->source->durationMs();
        Voice *v = voice.get();
        v->guard.setSingleShot(true);
        connect(&v->guard, &QTimer::timeout, this, [this, v] {
            const Lock lock(m_loop);
            finish(v);
        });
        v->guard.start(int(std::min<qint64>(duration + SoundEndSlackMs, INT_MAX)));
        {
            const Lock lock(m_loop);
            m_playing.push_back(std::move(voice));
        }
        job->start(true, duration);
    }

    bool bell() override
    {
        int result = ring();
        if (result != CA_SUCCESS) {
            // The connection died with a server that went away (or was not up
            // yet): the bell goes once more on a fresh one.
            m_events.reset();
            result = ring();
        }
        if (result == CA_SUCCESS)
            return true;
        m_events.reset();
        qCDebug(lcSound) << "No bell from the sound server -" << ca_strerror(result);
        return false;
    }

    void shutdown() override
    {
        m_ready = {};
        m_events.reset();
        if (!m_loop)
            return;
        std::vector<std::unique_ptr<Voice>> playing;
        {
            const Lock lock(m_loop);
            for (const auto &voice : m_playing)
                close(*voice);
            playing.swap(m_playing);
            dropContext();
        }
        pa_threaded_mainloop_stop(m_loop);
        pa_threaded_mainloop_free(m_loop);
        m_loop = nullptr;
    }

private:
    int ring()
    {
        if (!m_events) {
            ca_context *context = nullptr;
            const int made = ca_context_create(&context);
            if (made != CA_SUCCESS)
                return made;
            m_events.reset(context);
            ca_context_change_props(context, CA_PROP_APPLICATION_NAME, "Brivel",
                                    CA_PROP_APPLICATION_ID, "org.brivel.Brivel", nullptr);
        }
        int result = ca_context_play(m_events.get(), 0, CA_PROP_EVENT_ID, "bell",
                                     CA_PROP_EVENT_DESCRIPTION, "Alarm", nullptr);
        if (result == CA_ERROR_NOTFOUND) {
            qCDebug(lcSound) << "The sound theme has no bell: Brivel's own tone";
            if (!m_toneDir)
                m_toneDir = std::make_unique<QTemporaryDir>();
            const QString tone = m_toneDir->filePath(QStringLiteral("bell.wav"));
            if (m_toneDir->isValid() && (QFileInfo::exists(tone) || writeTone(tone)))
                result = ca_context_play(m_events.get(), 0, CA_PROP_MEDIA_FILENAME,
                                         QFile::encodeName(tone).constData(),
                                         CA_PROP_EVENT_DESCRIPTION, "Alarm", nullptr);
        }
        return result;
    }

    struct Lock {
        explicit Lock(pa_threaded_mainloop *loop) : loop(loop) { pa_threaded_mainloop_lock(loop); }
        ~Lock() { pa_threaded_mainloop_unlock(loop); }
        Lock(const Lock &) = delete;
        Lock &operator=(const Lock &) = delete;
        pa_threaded_mainloop *loop;
    };

    struct Ready {
        QString path;
        FileStamp stamp;
        std::unique_ptr<WaveStream> stream;
        const char *why = nullptr; // when there is no stream
    };

    // One playing sound. Its fields after begin() change under the lock only.
    struct Voice {
        PulseSoundEngine *engine = nullptr;
        std::unique_ptr<WaveStream> source;
        pa_stream *stream = nullptr;
        pa_operation *drain = nullptr;
        std::shared_ptr<SoundJob> job;
        QTimer guard;
        quint64 serial = 0;
        bool draining = false;
        bool finished = false;
    };

    // Wakes a waitFor: the server answered something.
    template <typename Object> static void wake(Object *, void *loop)
    {
        pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop *>(loop), 0);
    }

    // Waits, the lock held, for a condition that the server's callbacks set
    // and signal, ServerTimeout at most. Needs a context, whose clock times it.
    template <typename Done> bool waitFor(Done done)
    {
        struct Deadline {
            pa_threaded_mainloop *loop;
            bool passed = false;
        } deadline{m_loop};
        const auto timeout = std::chrono::duration_cast<std::chrono::microseconds>(ServerTimeout);
        pa_time_event *event = pa_context_rttime_new(
            m_context, pa_rtclock_now() + pa_usec_t(timeout.count()),
            [](pa_mainloop_api *, pa_time_event *, const timeval *, void *data) {
                auto *d = static_cast<Deadline *>(data);
                d->passed = true;
                pa_threaded_mainloop_signal(d->loop, 0);
            },
            &deadline);
        while (event && !deadline.passed && !done())
            pa_threaded_mainloop_wait(m_loop);
        if (event)
            pa_threaded_mainloop_get_api(m_loop)->time_free(event);
        return done();
    }

    // A connection to the sound server, made afresh when there was none or it
    // broke: a server that starts or restarts later is used. Lock held.
    bool connected()
    {
        if (m_context && !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context)))
            dropContext();
        if (!m_context) {
            m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "Brivel");
            if (!m_context)
                return false;
            pa_context_set_state_callback(m_context, &PulseSoundEngine::wake<pa_context>, m_loop);
            if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
                return false;
        }
        waitFor([this] {
            const pa_context_state_t state = pa_context_get_state(m_context);
            return !PA_CONTEXT_IS_GOOD(state) || state == PA_CONTEXT_READY;
        });
        return pa_context_get_state(m_context) == PA_CONTEXT_READY;
    }

    // Lock held. Its streams end with it, also on the server's side: a stream
    // whose creation a frozen server never finished goes once it wakes.
    void dropContext()
    {
        if (!m_context)
            return;
        pa_context_set_state_callback(m_context, nullptr, nullptr);
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        m_context = nullptr;
    }

    // Starts the voice's stream: null once it plays, else why it cannot.
    const char *begin(Voice &voice)
    {
        const Lock lock(m_loop);
        for (int attempt = 0;; ++attempt) {
            if (!connected())
                return "no sound server";
            const pa_stream_state_t state = open(voice);
            if (state == PA_STREAM_READY) {
                pa_stream_set_state_callback(voice.stream, &PulseSoundEngine::onState, &voice);
                return nullptr;
            }
            release(voice.stream);
            const bool dead = !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context));
            if (state == PA_STREAM_CREATING || dead)
                dropContext();
            if (state == PA_STREAM_CREATING)
                return "the sound server did not answer";
            if (!dead)
                return "the sound server refused the stream";
            // The connection had died with the server: once more on a fresh one.
            if (attempt > 0)
                return "the sound server went away";
        }
    }

    // The voice's stream, asked of the server: its state once the server
    // answered, or CREATING when it did not in time. Lock held.
    pa_stream_state_t open(Voice &voice)
    {
        const WaveStream &source = *voice.source;
        const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, uint32_t(source.sampleRate()),
                                    uint8_t(source.channels())};
        pa_channel_map map;
        if (!pa_channel_map_init_extend(&map, unsigned(format.channels), PA_CHANNEL_MAP_WAVEEX))
            return PA_STREAM_FAILED;
        voice.stream = pa_stream_new(m_context, "Alarm", &format, &map);
        if (!voice.stream)
            return PA_STREAM_FAILED;
        pa_buffer_attr attr;
        attr.maxlength = uint32_t(-1);
        attr.tlength = uint32_t(pa_usec_to_bytes(BufferUs, &format));
        attr.prebuf = uint32_t(-1);
        attr.minreq = uint32_t(-1);
        attr.fragsize = uint32_t(-1);
        pa_stream_set_write_callback(voice.stream, &PulseSoundEngine::onWrite, &voice);
        pa_stream_set_state_callback(voice.stream, &PulseSoundEngine::wake<pa_stream>, m_loop);
        if (pa_stream_connect_playback(voice.stream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY,
                                       nullptr, nullptr)
            < 0)
            return PA_STREAM_FAILED;
        waitFor([&voice] { return pa_stream_get_state(voice.stream) != PA_STREAM_CREATING; });
        return pa_stream_get_state(voice.stream);
    }

    // The server asks for more: decoded from the file as it plays. A request
    // is filled whole, or the server would wait for the rest before it starts.
    static void onWrite(pa_stream *stream, size_t bytes, void *data)
    {
        auto *voice = static_cast<Voice *>(data);
        const qint64 frame = voice->source->frameBytes();
        while (bytes >= size_t(frame) && !voice->draining && !voice->finished) {
            void *buffer = nullptr;
            size_t size = bytes;
            if (pa_stream_begin_write(stream, &buffer, &size) < 0 || !buffer)
                return;
            const qint64 wanted = qint64(size) / frame;
            if (wanted == 0) {
                pa_stream_cancel_write(stream);
                return;
            }
            const qint64 frames = voice->source->read(static_cast<float *>(buffer), wanted);
            if (frames > 0)
                pa_stream_write(stream, buffer, size_t(frames * frame), nullptr, 0,
                                PA_SEEK_RELATIVE);
            else
                pa_stream_cancel_write(stream);
            bytes -= std::min(bytes, size_t(frames * frame));
            if (frames < wanted) {
                // The end of the file: what is buffered still plays to its end.
                voice->draining = true;
                voice->drain = pa_stream_drain(
                    stream,
                    [](pa_stream *, int, void *d) {
                        auto *v = static_cast<Voice *>(d);
                        v->engine->finish(v);
                    },
                    voice);
            }
        }
    }

    static void onState(pa_stream *stream, void *data)
    {
        const pa_stream_state_t state = pa_stream_get_state(stream);
        if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) {
            auto *voice = static_cast<Voice *>(data);
            voice->engine->finish(voice);
        }
    }

    // The sound ended, failed or outran its guard: the caller learns it now,
    // and the voice goes on the sound thread's next turn. Lock held.
    void finish(Voice *voice)
    {
        if (voice->finished)
            return;
        voice->finished = true;
        if (voice->job)
            voice->job->finish();
        QMetaObject::invokeMethod(
            this, [this, serial = voice->serial] { remove(serial); }, Qt::QueuedConnection);
    }

    void remove(quint64 serial)
    {
        std::unique_ptr<Voice> done;
        const Lock lock(m_loop);
        const auto it = std::find_if(m_playing.begin(), m_playing.end(),
                                     [serial](const auto &v) { return v->serial == serial; });
        if (it == m_playing.end())
            return;
        close(**it);
        done = std::move(*it);
        m_playing.erase(it);
    }

    // Lock held: no callback reaches the voice after this.
    static void close(Voice &voice)
    {
        voice.finished = true;
        if (voice.drain) {
            pa_operation_cancel(voice.drain);
            pa_operation_unref(voice.drain);
            voice.drain = nullptr;
        }
        release(voice.stream);
    }

    // Lock held: no callback comes from the stream after this.
    static void release(pa_stream *&stream)
    {
        if (!stream)
            return;
        pa_stream_set_write_callback(stream, nullptr, nullptr);
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_disconnect(stream);
        pa_stream_unref(stream);
        stream = nullptr;
    }

    pa_threaded_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    Ready m_ready;
    std::vector<std::unique_ptr<Voice>> m_playing;
    quint64 m_serial = 0;
    std::unique_ptr<ca_context, CanberraCloser> m_events;
    std::unique_ptr<QTemporaryDir> m_toneDir;
};

} // namespace brivel

extern "C" Q_DECL_EXPORT brivel::SoundEngine *brivel_create_sound_engine()
{
    return new brivel::PulseSoundEngine;
}
