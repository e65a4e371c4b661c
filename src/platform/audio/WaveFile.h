// SPDX-License-Identifier: MIT
#pragma once

#include <QAudioFormat>
#include <QIODevice>
#include <QString>

#include <memory>
#include <vector>

struct sf_private_tag;

namespace brivel {

// The samples of one sound file as the sound server takes them (32-bit
// float frames at the file's own rate and channel count), followed by a
// stretch of silence that pushes the last samples out of the server's buffer
// before the stream is closed. Any file the sound-file library can decode
// plays: PCM of every width, float, mu-law, A-law, the ADPCM kinds, GSM and
// more. The file is decoded as it plays, never read whole.
class WaveStream : public QIODevice {
public:
    // Null when the file is missing, unreadable, empty or of no known kind.
    static std::unique_ptr<WaveStream> open(const QString &path);
    ~WaveStream() override;

    QAudioFormat format() const { return m_format; }
    qint64 durationMs() const;
    // Silence to play after the samples; set before the first read.
    void setTrailingSilence(qint64 bytes);

    bool isSequential() const override { return false; }
    qint64 size() const override { return m_samplesOut + m_silence; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 maxSize) override;

private:
    WaveStream() = default;
    qint64 frameBytes() const { return qint64(sizeof(float)) * m_format.channelCount(); }

    struct Closer {
        void operator()(sf_private_tag *file) const;
    };
    std::unique_ptr<sf_private_tag, Closer> m_file;
    QAudioFormat m_format;
    qint64 m_frames = 0;
    std::vector<float> m_head; // the first half second, decoded ahead of the play call
    qint64 m_delivered = 0;    // frames handed out so far
    qint64 m_samplesOut = 0;   // bytes of samples as handed to the server
    qint64 m_silence = 0;
};

} // namespace brivel
