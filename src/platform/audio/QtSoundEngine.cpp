// SPDX-License-Identifier: MIT
// The sound module: wave files streamed into the sound server through
// Qt Multimedia. Loaded by the sound thread; everything here runs there.
#include "platform/SoundEngine.h"
#include "platform/audio/WaveFile.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QDateTime>
#include <QFileInfo>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QTimer>

#include <canberra.h>
#include <sndfile.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>
#include <vector>

namespace brivel {

namespace {

// Silence after the samples beyond the server's buffer, so the last samples
// are heard before the stream closes.
constexpr qint64 TailMs = 50;
// How often a playing sound's buffer is topped up.
constexpr int FeedPeriodMs = 10;

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

// Owns every stream, read ahead or playing.
class QtSoundEngine : public QObject, public SoundEngine {
public:
    int outputCount() override { return int(QMediaDevices::audioOutputs().size()); }

    void prepare(const QString &path) override
    {
        if (!m_ready || m_ready->path != path || !m_ready->stream
            || m_ready->stamp != FileStamp::of(path))
            m_ready = makeVoice(path);
    }

    // Starts a sound; reports to job, and beeps through beep on failure when
    // the caller does not wait to beep itself.
    void start(const QString &path, const std::shared_ptr<SoundJob> &job,
               const std::function<void()> &beep) override
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
        const qint64 duration = voice->source->durationMs();
        Voice *v = voice.get();
        v->guard.setSingleShot(true);
        connect(&v->guard, &QTimer::timeout, this, [this, v] { finish(v); });
        v->guard.start(int(std::min<qint64>(duration + SoundEndSlackMs, INT_MAX)));
        m_playing.push_back(std::move(voice));
        job->start(true, duration);
    }

    bool bell() override
    {
        if (!m_events) {
            ca_context *context = nullptr;
            if (ca_context_create(&context) != CA_SUCCESS)
                return false;
            m_events.reset(context);
            ca_context_change_props(context, CA_PROP_APPLICATION_NAME, "Brivel",
                                    CA_PROP_APPLICATION_ID, "org.brivel.Brivel", nullptr);
        }
        int result = ca_context_play(m_events.get(), 0, CA_PROP_EVENT_ID, "bell",
                                     CA_PROP_EVENT_DESCRIPTION, "Alarm", nullptr);
        if (result == CA_ERROR_NOTFOUND) {
            const QString tone = m_toneDir.filePath(QStringLiteral("bell.wav"));
            if (m_toneDir.isValid() && (QFileInfo::exists(tone) || writeTone(tone)))
                result = ca_context_play(m_events.get(), 0, CA_PROP_MEDIA_FILENAME,
                                         QFile::encodeName(tone).constData(),
                                         CA_PROP_EVENT_DESCRIPTION, "Alarm", nullptr);
        }
        // A server that went away, or is not up yet, is connected afresh next time.
        if (result != CA_SUCCESS)
            m_events.reset();
        return result == CA_SUCCESS;
    }

    void shutdown() override
    {
        m_ready.reset();
        m_playing.clear();
        m_events.reset();
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
        std::shared_ptr<SoundJob> job;
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
    std::unique_ptr<ca_context, CanberraCloser> m_events;
    QTemporaryDir m_toneDir;
    std::vector<std::unique_ptr<Voice>> m_playing;
    quint64 m_serial = 0;
};

} // namespace brivel

extern "C" Q_DECL_EXPORT brivel::SoundEngine *brivel_create_sound_engine()
{
    return new brivel::QtSoundEngine;
}
