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

QByteArray chunk(const char *id, const QByteArray &body, qint64 declared = -1)
{
    QByteArray out = QByteArray(id, 4) + le(quint32(declared < 0 ? body.size() : declared), 4);
    out += body;
    if (body.size() % 2)
        out += '\0';
    return out;
}

QByteArray fmt(int tag, int channels, int rate, int bits, int align = -1, int subTag = -1)
{
    if (align < 0)
        align = channels * bits / 8;
    QByteArray body = le(tag, 2) + le(channels, 2) + le(rate, 4) + le(rate * align, 4)
                      + le(align, 2) + le(bits, 2);
    if (subTag >= 0)
        body += le(22, 2) + le(bits, 2) + le(0, 4) + le(subTag, 2) + QByteArray(14, '\x10');
    return chunk("fmt ", body);
}

QByteArray riff(const QByteArray &chunks)
{
    return "RIFF" + le(4 + chunks.size(), 4) + "WAVE" + chunks;
}

const QByteArray Pcm16 = fmt(1, 1, 22050, 16);
const QByteArray Samples(400, '\x11');

} // namespace

class TestWaveFile : public QObject {
    Q_OBJECT
private slots:
    void playable_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("isFloat");
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<qint64>("bytes");
        QTest::newRow("16-bit mono") << riff(Pcm16 + chunk("data", Samples)) << 1 << 16 << false
                                     << qint64(44) << qint64(400);
        QTest::newRow("odd chunk first")
            << riff(chunk("LIST", "abc") + Pcm16 + chunk("data", Samples)) << 1 << 16 << false
            << qint64(56) << qint64(400);
        QTest::newRow("data before fmt") << riff(chunk("data", Samples) + Pcm16) << 1 << 16 << false
                                         << qint64(20) << qint64(400);
        QTest::newRow("extensible 24-bit")
            << riff(fmt(0xFFFE, 2, 48000, 24, -1, 1) + chunk("data", Samples)) << 2 << 24 << false
            << qint64(68) << qint64(396);
        QTest::newRow("float") << riff(fmt(3, 2, 44100, 32) + chunk("data", Samples)) << 2 << 32
                               << true << qint64(44) << qint64(400);
        QTest::newRow("8-bit") << riff(fmt(1, 1, 8000, 8) + chunk("data", "\x80\x81\x7f")) << 1 << 8
                               << false << qint64(44) << qint64(3);
        QTest::newRow("cut short") << riff(Pcm16 + chunk("data", Samples.left(101), 1 << 30)) << 1
                                   << 16 << false << qint64(44) << qint64(102);
    }
    void playable()
    {
        QFETCH(QByteArray, file);
        QBuffer buffer(&file);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        const std::optional<WaveLayout> layout = readWaveLayout(buffer);
        QVERIFY(layout);
        QTEST(layout->channels, "channels");
        QTEST(layout->bitsPerSample, "bits");
        QTEST(layout->isFloat, "isFloat");
        QTEST(layout->dataOffset, "offset");
        QTEST(layout->dataBytes, "bytes");
    }

    void unplayable_data()
    {
        QTest::addColumn<QByteArray>("file");
        const QByteArray data = chunk("data", Samples);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("RIFF is a word, WAVE another\n");
        QTest::newRow("header only") << riff(QByteArray());
        QTest::newRow("big-endian") << riff(Pcm16 + data).replace(0, 4, "RIFX");
        QTest::newRow("no data") << riff(Pcm16);
        QTest::newRow("no fmt") << riff(data);
        QTest::newRow("no samples") << riff(Pcm16 + chunk("data", QByteArray()));
        QTest::newRow("ADPCM") << riff(fmt(2, 1, 22050, 4, 1) + data);
        QTest::newRow("64-bit float") << riff(fmt(3, 1, 22050, 64) + data);
        QTest::newRow("12-bit") << riff(fmt(1, 1, 22050, 12, 2) + data);
        QTest::newRow("no channels") << riff(fmt(1, 0, 22050, 16, 2) + data);
        QTest::newRow("9 channels") << riff(fmt(1, 9, 22050, 16) + data);
        QTest::newRow("rate 0") << riff(fmt(1, 1, 0, 16) + data);
        QTest::newRow("rate 4 GHz") << riff(fmt(1, 1, -1, 16) + data);
        QTest::newRow("block mismatch") << riff(fmt(1, 2, 22050, 16, 2) + data);
        QTest::newRow("short fmt") << riff(chunk("fmt ", Pcm16.mid(8, 14)) + data);
        QTest::newRow("short extensible")
            << riff(chunk("fmt ", fmt(0xFFFE, 1, 8000, 16).mid(8, 16)) + data);
        QTest::newRow("fmt past end") << riff(Pcm16).append(data).replace(16, 4, le(1000, 4));
        QByteArray many;
        for (int i = 0; i < 5000; ++i)
            many += chunk("junk", QByteArray());
        QTest::newRow("5000 chunks first") << riff(Pcm16 + many + data);
    }
    void unplayable()
    {
        QFETCH(QByteArray, file);
        QBuffer buffer(&file);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        QVERIFY(!readWaveLayout(buffer));
    }

    // 24-bit samples widen to 32 bits; whole frames of silence follow the
    // samples, at the format's own zero (128 for unsigned 8-bit); then the
    // stream ends.
    void stream_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("silence");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("24-bit") << riff(fmt(1, 1, 8000, 24)
                                        + chunk("data", "\x01\x02\x03\xfd\xfe\xff"))
                                << 4 << QByteArray("\0\x01\x02\x03\0\xfd\xfe\xff\0\0\0\0", 12);
        QTest::newRow("8-bit") << riff(fmt(1, 1, 8000, 8) + chunk("data", "\x10\xf0")) << 4
                               << QByteArray("\x10\xf0\x80\x80\x80\x80");
        QTest::newRow("16-bit stereo") << riff(fmt(1, 2, 8000, 16) + chunk("data", "abcd")) << 6
                                       << QByteArray("abcd\0\0\0\0", 8);
    }
    void stream()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, silence);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s.wav"));
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file);
        out.close();
        const std::unique_ptr<WaveStream> stream = WaveStream::open(path);
        QVERIFY(stream);
        stream->setTrailingSilence(silence);
        QCOMPARE(stream->size(), expected.size());
        QCOMPARE(stream->readAll(), expected);
        QVERIFY(stream->atEnd());
    }

    void missingFile() { QVERIFY(!WaveStream::open(QStringLiteral("/nonexistent/x.wav"))); }
};

QTEST_GUILESS_MAIN(TestWaveFile)
#include "tst_wavefile.moc"
