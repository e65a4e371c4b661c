// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>
#include <vector>

struct sf_private_tag;

namespace brivel {

// The samples of one sound file as 32-bit float frames at the file's own
// rate and channel count. Any file the sound-file library can decode plays:
// PCM of every width, float, mu-law, A-law, the ADPCM kinds, GSM and more.
// The file is decoded as it plays, never read whole.
class WaveStream {
public:
    // Null, with why in a few words, when the file is missing, not a
    // regular file, unreadable, empty or of no known kind. The first half
    // second is decoded at once.
    static std::unique_ptr<WaveStream> open(const QString &path, const char **why);
    ~WaveStream();
    WaveStream(const WaveStream &) = delete;
    WaveStream &operator=(const WaveStream &) = delete;

    int sampleRate() const { return m_rate; }
    int channels() const { return m_channels; }
    qint64 frameBytes() const { return qint64(sizeof(float)) * m_channels; }
    qint64 durationMs() const { return m_frames * 1000 / m_rate; }
    // Up to frames frames into out; fewer at the end of the file (or where
    // it was cut short since), 0 after it.
    qint64 read(float *out, qint64 frames);

private:
    WaveStream() = default;

    struct Closer {
        void operator()(sf_private_tag *file) const;
    };
    std::unique_ptr<sf_private_tag, Closer> m_file;
    int m_rate = 0;
    int m_channels = 0;
    qint64 m_frames = 0;
    std::vector<float> m_head; // the first half second, decoded ahead of the play call
    qint64 m_delivered = 0;    // frames handed out so far
    bool m_ended = false;
};

} // namespace brivel
