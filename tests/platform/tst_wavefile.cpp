// SPDX-License-Identifier: MIT
// Reading wave files: which headers are playable and where their samples
// are, and the samples as the sound server gets them.
#include "platform/audio/WaveFile.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QTest>

using namespace brivel;

namespace {

QByteArray le(quint32 v, int bytes)
{
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out += char(v >> (8 * i));
    return out;
}

// A chunk, padded to an even size; declared overrides the size it claims.
QByteArray chunk(const char *id, const QByteArray &body, qint64 declared = -1)
{
    return QByteArray(id, 4) + le(quint32(declared < 0 ? body.size() : declared), 4) + body
           + QByteArray(body.size() % 2, '\0');
}

QByteArray fmt(int tag, int channels, int rate, int bits, int align = -1)
{
    align = align < 0 ? channels * bits / 8 : align;
    QByteArray body = le(tag, 2) + le(channels, 2) + le(rate, 4) + le(rate * align, 4)
                      + le(align, 2) + le(bits, 2);
    if (tag == 0xFFFE) // extensible, PCM inside
        body += le(22, 2) + le(bits, 2) + le(0, 4) + le(1, 2) + QByteArray(14, '\x10');
    return chunk("fmt ", body);
}

QByteArray riff(const QByteArray &chunks)
{
    return "RIFF" + le(4 + chunks.size(), 4) + "WAVE" + chunks;
}

const QByteArray Pcm16 = fmt(1, 1, 22050, 16);
const QByteArray Data = chunk("data", QByteArray(400, '\x11'));

} // namespace

class TestWaveFile : public QObject {
    Q_OBJECT
private slots:
    // Channels, bits, float, data offset and size; nothing when unplayable.
    void layout_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QList<qint64>>("expected");
        const QList<qint64> none;
        QTest::newRow("16-bit mono") << riff(Pcm16 + Data) << QList<qint64>{1, 16, 0, 44, 400};
        QTest::newRow("odd chunk, data before fmt")
            << riff(chunk("LIST", "abc") + Data + fmt(3, 2, 44100, 32))
            << QList<qint64>{2, 32, 1, 32, 400};
        QTest::newRow("extensible 24-bit")
            << riff(fmt(0xFFFE, 2, 48000, 24) + Data) << QList<qint64>{2, 24, 0, 68, 396};
        QTest::newRow("cut short") << riff(Pcm16 + chunk("data", QByteArray(101, 'x'), 1 << 30))
                                   << QList<qint64>{1, 16, 0, 44, 102};
        QTest::newRow("text") << QByteArray("RIFF is a word, WAVE another\n") << none;
        QTest::newRow("big-endian") << riff(Pcm16 + Data).replace(0, 4, "RIFX") << none;
        QTest::newRow("no fmt") << riff(Data) << none;
        QTest::newRow("no samples") << riff(Pcm16 + chunk("data", {})) << none;
        QTest::newRow("ADPCM") << riff(fmt(2, 1, 22050, 4, 1) + Data) << none;
        QTest::newRow("9 channels") << riff(fmt(1, 9, 22050, 16) + Data) << none;
        QTest::newRow("rate 0") << riff(fmt(1, 1, 0, 16) + Data) << none;
        QTest::newRow("block mismatch") << riff(fmt(1, 2, 22050, 16, 2) + Data) << none;
        QTest::newRow("fmt past end") << riff(Pcm16 + Data).replace(16, 4, le(1000, 4)) << none;
        QTest::newRow("5000 chunks first")
            << riff(Pcm16 + chunk("junk", {}).repeated(5000) + Data) << none;
    }
    void layout()
    {
        QFETCH(QByteArray, file);
        QBuffer buffer(&file);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        QList<qint64> seen;
        if (const std::optional<WaveLayout> l = readWaveLayout(buffer))
            seen = {l->channels, l->bitsPerSample, l->isFloat, l->dataOffset, l->dataBytes};
        QTEST(seen, "expected");
    }

    // 24-bit samples widen to 32 bits, then whole frames of silence at the
    // format's own zero (128 for unsigned 8-bit); a missing file opens none.
    void stream()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s.wav"));
        const QList<std::pair<QByteArray, QByteArray>> cases{
            {riff(fmt(1, 1, 8000, 24) + chunk("data", "\x01\x02\x03\xfd\xfe\xff")),
             QByteArray("\0\x01\x02\x03\0\xfd\xfe\xff\0\0\0\0", 12)},
            {riff(fmt(1, 1, 8000, 8) + chunk("data", "\x10\xf0")), "\x10\xf0\x80\x80\x80\x80"}};
        for (const auto &[file, expected] : cases) {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file) == file.size());
            out.close();
            const std::unique_ptr<WaveStream> stream = WaveStream::open(path);
            QVERIFY(stream);
            stream->setTrailingSilence(4);
            QCOMPARE(stream->size(), expected.size());
            QCOMPARE(stream->readAll(), expected);
        }
        QVERIFY(!WaveStream::open(dir.filePath(QStringLiteral("missing.wav"))));
    }
};

QTEST_GUILESS_MAIN(TestWaveFile)
#include "tst_wavefile.moc"
