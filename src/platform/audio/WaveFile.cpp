// SPDX-License-Identifier: MIT
#include "WaveFile.h"

#include <QFile>
#include <QFileInfo>

#include <sndfile.h>

#include <algorithm>
#include <cstring>

namespace brivel {

namespace {

constexpr int MaxChannels = 8;
constexpr int MinRate = 1000;
constexpr int MaxRate = 384000;

} // namespace

void WaveStream::Closer::operator()(sf_private_tag *file) const
{
    sf_close(file);
}

WaveStream::~WaveStream() = default;

std::unique_ptr<WaveStream> WaveStream::open(const QString &path)
{
    // Only a regular file: opening a pipe or a device could wait forever.
    const QFileInfo info(path);
    if (!info.isFile())
        return nullptr;
    SF_INFO sf{};
    std::unique_ptr<WaveStream> stream(new WaveStream);
    stream->m_file.reset(sf_open(QFile::encodeName(path).constData(), SFM_READ, &sf));
    if (!stream->m_file || sf.frames <= 0 || sf.channels < 1 || sf.channels > MaxChannels
        || sf.samplerate < MinRate || sf.samplerate > MaxRate)
        return nullptr;
    stream->m_frames = sf.frames;
    QAudioFormat &format = stream->m_format;
    format.setSampleRate(sf.samplerate);
    format.setChannelCount(sf.channels);
    format.setSampleFormat(QAudioFormat::Float);
    stream->m_samplesOut = sf.frames * stream->frameBytes();

    // Half a second decoded now, so that playing starts without touching the disk.
    const sf_count_t head = std::min<sf_count_t>(sf.frames, sf.samplerate / 2);
    stream->m_head.resize(size_t(head * sf.channels));
    const sf_count_t got = sf_readf_float(stream->m_file.get(), stream->m_head.data(), head);
    if (got <= 0)
        return nullptr;
    if (got < head) { // shorter than it claimed
        stream->m_head.resize(size_t(got * sf.channels));
        stream->m_frames = got;
        stream->m_samplesOut = got * stream->frameBytes();
    }
    stream->QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    return stream;
}

qint64 WaveStream::durationMs() const
{
    return m_frames * 1000 / m_format.sampleRate();
}

void WaveStream::setTrailingSilence(qint64 bytes)
{
    m_silence = std::max<qint64>(bytes - bytes % frameBytes(), 0);
}

qint64 WaveStream::readData(char *data, qint64 maxSize)
{
    const qint64 frame = frameBytes();
    const qint64 wanted = maxSize - maxSize % frame;
    const qint64 pos = this->pos();
    qint64 done = 0;
    if (pos < m_samplesOut) {
        const qint64 frames = std::min(wanted, m_samplesOut - pos) / frame;
        const auto headFrames = qint64(m_head.size()) / m_format.channelCount();
        qint64 got = 0;
        if (m_delivered < headFrames) {
            got = std::min(frames, headFrames - m_delivered);
            std::memcpy(data, m_head.data() + m_delivered * m_format.channelCount(),
                        size_t(got * frame));
        }
        if (got < frames) {
            const sf_count_t more = sf_readf_float(
                m_file.get(), reinterpret_cast<float *>(data + got * frame), frames - got);
            got += std::max<sf_count_t>(more, 0);
        }
        m_delivered += got;
        done = got * frame;
        // A file that shrank or failed while playing ends where decoding stopped.
        if (got < frames)
            m_samplesOut = pos + done;
    }
    const qint64 silence = std::clamp<qint64>(size() - (pos + done), 0, wanted - done);
    std::memset(data + done, 0, size_t(silence));
    return done + silence;
}

qint64 WaveStream::writeData(const char *, qint64)
{
    return -1;
}

} // namespace brivel
