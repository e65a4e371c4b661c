// SPDX-License-Identifier: MIT
#include "WaveFile.h"

#include "platform/RegularFile.h"

#include <sndfile.h>

#include <algorithm>
#include <cstring>

namespace brivel {

namespace {

constexpr int MaxChannels = 8;
constexpr int MinRate = 1000;
constexpr int MaxRate = 384000;
// The wave format's own limit: anything larger is not a wave.
constexpr qint64 MaxFileBytes = qint64(4) << 30;

} // namespace

void WaveStream::Closer::operator()(sf_private_tag *file) const
{
    sf_close(file);
}

WaveStream::~WaveStream() = default;

std::unique_ptr<WaveStream> WaveStream::open(const QString &path, const char **why)
{
    FileFault fault = FileFault::None;
    const int fd = openRegularFile(path, MaxFileBytes, &fault);
    if (fd < 0) {
        *why = describe(fault);
        return nullptr;
    }
    *why = "not a sound file that can be decoded";
    SF_INFO info{};
    std::unique_ptr<WaveStream> stream(new WaveStream);
    // The descriptor is the library's from here on, closed also when it fails.
    stream->m_file.reset(sf_open_fd(fd, SFM_READ, &info, SF_TRUE));
    if (!stream->m_file || info.frames <= 0 || info.channels < 1 || info.channels > MaxChannels
        || info.samplerate < MinRate || info.samplerate > MaxRate)
        return nullptr;
    stream->m_rate = info.samplerate;
    stream->m_channels = info.channels;
    stream->m_frames = info.frames;

    // Half a second decoded now, so that playing starts without touching the disk.
    const sf_count_t head = std::min<sf_count_t>(info.frames, info.samplerate / 2);
    stream->m_head.resize(size_t(head * info.channels));
    const sf_count_t got = sf_readf_float(stream->m_file.get(), stream->m_head.data(), head);
    if (got <= 0)
        return nullptr;
    *why = nullptr;
    if (got < head) { // shorter than it claimed
        stream->m_head.resize(size_t(got * info.channels));
        stream->m_frames = got;
        stream->m_ended = true;
    }
    return stream;
}

qint64 WaveStream::read(float *out, qint64 frames)
{
    const auto headFrames = qint64(m_head.size()) / m_channels;
    qint64 got = 0;
    if (m_delivered < headFrames) {
        got = std::min(frames, headFrames - m_delivered);
        std::memcpy(out, m_head.data() + m_delivered * m_channels, size_t(got * frameBytes()));
    }
    if (got < frames && !m_ended) {
        const sf_count_t more = sf_readf_float(m_file.get(), out + got * m_channels, frames - got);
        got += std::max<sf_count_t>(more, 0);
        // A file that shrank or failed while playing ends where decoding stopped.
        m_ended = got < frames;
    }
    m_delivered += got;
    return got;
}

} // namespace brivel
