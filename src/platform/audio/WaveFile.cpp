// SPDX-License-Identifier: MIT
#include "WaveFile.h"

#include <algorithm>
#include <cstring>

namespace brivel {

namespace {

// A damaged file could chain millions of tiny chunks before its samples.
constexpr int MaxChunks = 4096;
constexpr int MaxChannels = 8;
constexpr int MinRate = 1000;
constexpr int MaxRate = 384000;
constexpr quint16 TagPcm = 1;
constexpr quint16 TagFloat = 3;
constexpr quint16 TagExtensible = 0xFFFE;

quint16 le16(const char *p)
{
    return quint16(quint8(p[0]) | quint8(p[1]) << 8);
}

quint32 le32(const char *p)
{
    return quint32(le16(p)) | quint32(le16(p + 2)) << 16;
}

bool isId(const char *p, const char *id)
{
    return std::memcmp(p, id, 4) == 0;
}

// Bytes per sample as the server takes it: 24-bit samples travel as 32-bit.
int outSampleBytes(int bitsPerSample)
{
    return bitsPerSample == 24 ? 4 : bitsPerSample / 8;
}

} // namespace

qint64 WaveLayout::durationMs() const
{
    if (frameBytes() <= 0 || sampleRate <= 0)
        return 0;
    return dataBytes / frameBytes() * 1000 / sampleRate;
}

std::optional<WaveLayout> readWaveLayout(QIODevice &file)
{
    if (!file.isReadable() || file.isSequential())
        return std::nullopt;
    const qint64 fileSize = file.size();
    char riff[12];
    if (!file.seek(0) || file.read(riff, 12) != 12 || !isId(riff, "RIFF")
        || !isId(riff + 8, "WAVE"))
        return std::nullopt;

    WaveLayout layout;
    quint16 tag = 0;
    int blockAlign = 0;
    bool haveFormat = false;
    bool haveData = false;
    qint64 pos = 12;
    for (int i = 0; i < MaxChunks && pos + 8 <= fileSize; ++i) {
        char header[8];
        if (!file.seek(pos) || file.read(header, 8) != 8)
            return std::nullopt;
        const qint64 size = le32(header + 4);
        const qint64 body = pos + 8;
        if (isId(header, "fmt ") && !haveFormat) {
            if (size < 16 || body + size > fileSize)
                return std::nullopt;
            char fmt[40] = {};
            const qint64 wanted = std::min<qint64>(size, sizeof fmt);
            if (file.read(fmt, wanted) != wanted)
                return std::nullopt;
            tag = le16(fmt);
            layout.channels = le16(fmt + 2);
            layout.sampleRate = int(std::min<quint32>(le32(fmt + 4), quint32(MaxRate) + 1));
            blockAlign = le16(fmt + 12);
            layout.bitsPerSample = le16(fmt + 14);
            if (tag == TagExtensible) {
                // The real format is in the first two bytes of the sub-format GUID.
                if (size < 40)
                    return std::nullopt;
                tag = le16(fmt + 24);
            }
            haveFormat = true;
        } else if (isId(header, "data") && !haveData) {
            layout.dataOffset = body;
            layout.dataBytes = std::clamp<qint64>(fileSize - body, 0, size);
            haveData = true;
        }
        if (haveFormat && haveData)
            break;
        pos = body + size + (size & 1);
    }
    if (!haveFormat || !haveData)
        return std::nullopt;

    const int bits = layout.bitsPerSample;
    const bool pcm = tag == TagPcm && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
    const bool fp = tag == TagFloat && bits == 32;
    if (!pcm && !fp)
        return std::nullopt;
    if (layout.channels < 1 || layout.channels > MaxChannels || layout.sampleRate < MinRate
        || layout.sampleRate > MaxRate || blockAlign != layout.frameBytes())
        return std::nullopt;
    layout.isFloat = fp;
    layout.dataBytes -= layout.dataBytes % layout.frameBytes();
    if (layout.dataBytes <= 0)
        return std::nullopt;
    return layout;
}

std::unique_ptr<WaveStream> WaveStream::open(const QString &path)
{
    std::unique_ptr<WaveStream> stream(new WaveStream);
    stream->m_file.setFileName(path);
    if (!stream->m_file.open(QIODevice::ReadOnly))
        return nullptr;
    const std::optional<WaveLayout> layout = readWaveLayout(stream->m_file);
    if (!layout)
        return nullptr;
    stream->m_layout = *layout;

    QAudioFormat &format = stream->m_format;
    format.setSampleRate(layout->sampleRate);
    format.setChannelCount(layout->channels);
    switch (layout->bitsPerSample) {
    case 8:
        format.setSampleFormat(QAudioFormat::UInt8);
        break;
    case 16:
        format.setSampleFormat(QAudioFormat::Int16);
        break;
    default:
        format.setSampleFormat(layout->isFloat ? QAudioFormat::Float : QAudioFormat::Int32);
        break;
    }
    const int inBytes = layout->bitsPerSample / 8;
    stream->m_samplesOut = layout->dataBytes / inBytes * outSampleBytes(layout->bitsPerSample);

    // Half a second read now, so that playing starts without touching the disk.
    const qint64 head =
        std::min<qint64>(layout->dataBytes, qint64(layout->sampleRate) * layout->frameBytes() / 2);
    if (!stream->m_file.seek(layout->dataOffset))
        return nullptr;
    stream->m_head = stream->m_file.read(head);
    if (stream->m_head.size() != head)
        return nullptr;
    stream->QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    return stream;
}

void WaveStream::setTrailingSilence(qint64 bytes)
{
    const qint64 frame = m_layout.channels * outSampleBytes(m_layout.bitsPerSample);
    m_silence = std::max<qint64>(bytes - bytes % frame, 0);
}

qint64 WaveStream::readData(char *data, qint64 maxSize)
{
    const qint64 frame = m_layout.channels * outSampleBytes(m_layout.bitsPerSample);
    const qint64 wanted = maxSize - maxSize % frame;
    const qint64 pos = this->pos();
    qint64 done = 0;
    if (pos < m_samplesOut) {
        const qint64 n = std::min(wanted, m_samplesOut - pos);
        done = readSamples(data, n, pos);
        done -= done % frame;
        // A file that shrank or failed while playing ends where reading stopped.
        if (done < n)
            m_samplesOut = pos + done;
    }
    const qint64 silence = std::clamp<qint64>(size() - (pos + done), 0, wanted - done);
    std::memset(data + done, m_format.sampleFormat() == QAudioFormat::UInt8 ? 0x80 : 0,
                size_t(silence));
    return done + silence;
}

qint64 WaveStream::readSamples(char *data, qint64 outBytes, qint64 outPos)
{
    const int inSize = m_layout.bitsPerSample / 8;
    const int outSize = outSampleBytes(m_layout.bitsPerSample);
    const qint64 inPos = outPos / outSize * inSize;
    const qint64 inBytes = outBytes / outSize * inSize;

    QByteArray widened;
    char *raw = data;
    if (inSize != outSize) {
        widened.resize(inBytes);
        raw = widened.data();
    }
    qint64 got = 0;
    if (inPos < m_head.size()) {
        got = std::min(inBytes, m_head.size() - inPos);
        std::memcpy(raw, m_head.constData() + inPos, size_t(got));
    }
    if (got < inBytes && m_file.seek(m_layout.dataOffset + inPos + got)) {
        const qint64 more = m_file.read(raw + got, inBytes - got);
        got += std::max<qint64>(more, 0);
    }
    const qint64 samples = got / inSize;
    if (inSize != outSize) {
        // 24-bit little-endian into the top three bytes of a 32-bit sample.
        for (qint64 i = 0; i < samples; ++i) {
            data[4 * i] = 0;
            std::memcpy(data + 4 * i + 1, raw + 3 * i, 3);
        }
    }
    return samples * outSize;
}

qint64 WaveStream::writeData(const char *, qint64)
{
    return -1;
}

} // namespace brivel
