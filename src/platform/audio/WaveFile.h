// SPDX-License-Identifier: MIT
#pragma once

#include <QAudioFormat>
#include <QFile>
#include <QIODevice>
#include <QString>

#include <memory>
#include <optional>

namespace brivel {

// Where the samples of a RIFF/WAVE file are and how they are laid out.
struct WaveLayout {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0; // 8, 16, 24 or 32
    bool isFloat = false;
    qint64 dataOffset = 0;
    qint64 dataBytes = 0; // whole frames only, never past the end of the file

    int frameBytes() const { return channels * (bitsPerSample / 8); }
    qint64 durationMs() const;
};

// Reads the header of a wave file: uncompressed PCM (8, 16, 24 or 32 bit)
// or 32-bit float, 1 to 8 channels, with at least one frame. Anything else,
// a damaged header included, gives nullopt. Reads only the chunk headers,
// never the samples, so a huge file costs no more than a small one.
std::optional<WaveLayout> readWaveLayout(QIODevice &file);

// The samples of one wave file as the sound server takes them, followed by
// a stretch of silence that pushes the last samples out of the server's
// buffer before the stream is closed. Reads the file as it plays.
class WaveStream : public QIODevice {
public:
    // Null when the file is missing, unreadable or not a playable wave.
    static std::unique_ptr<WaveStream> open(const QString &path);

    QAudioFormat format() const { return m_format; }
    const WaveLayout &layout() const { return m_layout; }
    // Silence to play after the samples; set before the first read.
    void setTrailingSilence(qint64 bytes);

    bool isSequential() const override { return false; }
    qint64 size() const override { return m_samplesOut + m_silence; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 maxSize) override;

private:
    WaveStream() = default;
    qint64 readSamples(char *data, qint64 outBytes, qint64 outPos);

    QFile m_file;
    WaveLayout m_layout;
    QAudioFormat m_format;
    QByteArray m_head;       // the first samples, read ahead of the play call
    qint64 m_samplesOut = 0; // bytes of samples as handed to the server
    qint64 m_silence = 0;
};

} // namespace brivel
