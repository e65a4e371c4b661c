// SPDX-License-Identifier: MIT
// Draws Brivel's icon, a stopwatch, in the 16 colours of the classic
// palette and writes it as brivel.ico (32 x 32 and 16 x 16, 4 bits a pixel)
// and as PNG files for the desktop's icon theme:
//   makeicon <folder>
#include <QByteArray>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>

namespace {

const QList<QRgb> Palette16{
    qRgb(0, 0, 0),       qRgb(128, 0, 0),     qRgb(0, 128, 0),   qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128),   qRgb(0, 128, 128), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(255, 0, 0),     qRgb(0, 255, 0),   qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(255, 0, 255),   qRgb(0, 255, 255), qRgb(255, 255, 255)};

QImage draw(int size)
{
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    const qreal s = size / 32.0;
    p.scale(s, s);
    p.setRenderHint(QPainter::Antialiasing, size > 16);
    // Crown and button.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(128, 128, 128));
    p.drawRect(QRectF(13, 1, 6, 4));
    p.drawRect(QRectF(23, 5, 4, 4));
    // Case and face.
    p.setBrush(QColor(0, 0, 128));
    p.drawEllipse(QRectF(2, 4, 28, 28));
    p.setBrush(QColor(255, 255, 255));
    p.drawEllipse(QRectF(5, 7, 22, 22));
    // The red sector still to run, and the hand.
    p.setBrush(QColor(255, 0, 0));
    p.drawPie(QRectF(7, 9, 18, 18), 90 * 16, -120 * 16);
    p.setPen(QPen(QColor(0, 0, 0), size > 16 ? 2.0 : 2.5, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(16, 18), QPointF(16, 9));
    p.end();
    return img;
}

QByteArray icoEntry(const QImage &argb)
{
    const int n = argb.width();
    const QImage indexed = argb.convertToFormat(QImage::Format_Indexed8, Palette16,
                                                Qt::ThresholdDither | Qt::AvoidDither);
    const int xorRow = ((n * 4 + 31) / 32) * 4;
    const int andRow = ((n + 31) / 32) * 4;
    QByteArray out;
    const auto u32 = [&out](quint32 v) { out.append(reinterpret_cast<const char *>(&v), 4); };
    const auto u16 = [&out](quint16 v) { out.append(reinterpret_cast<const char *>(&v), 2); };
    u32(40);
    u32(quint32(n));
    u32(quint32(n * 2));
    u16(1);
    u16(4);
    u32(0);
    u32(quint32((xorRow + andRow) * n));
    u32(0);
    u32(0);
    u32(16);
    u32(0);
    for (QRgb c : Palette16) {
        out.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append(char(0));
    }
    for (int y = n - 1; y >= 0; --y) {
        QByteArray row(xorRow, '\0');
        for (int x = 0; x < n; ++x) {
            const int idx = qAlpha(argb.pixel(x, y)) < 128 ? 0 : indexed.pixelIndex(x, y);
            row[x / 2] = char(row[x / 2] | (x % 2 ? idx : idx << 4));
        }
        out.append(row);
    }
    for (int y = n - 1; y >= 0; --y) {
        QByteArray row(andRow, '\0');
        for (int x = 0; x < n; ++x)
            if (qAlpha(argb.pixel(x, y)) < 128)
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        out.append(row);
    }
    return out;
}

QImage sixteenColours(const QImage &argb)
{
    QImage indexed = argb.convertToFormat(QImage::Format_Indexed8, Palette16,
                                          Qt::ThresholdDither | Qt::AvoidDither);
    QImage out(argb.size(), QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            out.setPixel(x, y, qAlpha(argb.pixel(x, y)) < 128 ? qRgba(0, 0, 0, 0)
                                                              : Palette16[indexed.pixelIndex(x, y)]);
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QImage big = draw(32);
    const QImage small = draw(16);
    const QByteArray e32 = icoEntry(big);
    const QByteArray e16 = icoEntry(small);

    QByteArray ico;
    const auto u16 = [&ico](quint16 v) { ico.append(reinterpret_cast<const char *>(&v), 2); };
    const auto u32 = [&ico](quint32 v) { ico.append(reinterpret_cast<const char *>(&v), 4); };
    u16(0);
    u16(1);
    u16(2);
    quint32 offset = 6 + 16 * 2;
    for (auto [n, data] : {std::pair{32, &e32}, std::pair{16, &e16}}) {
        ico.append(char(n)).append(char(n)).append(char(16)).append(char(0));
        u16(1);
        u16(4);
        u32(quint32(data->size()));
        u32(offset);
        offset += quint32(data->size());
    }
    ico.append(e32).append(e16);
    QFile file(folder + QStringLiteral("/brivel.ico"));
    if (!file.open(QIODevice::WriteOnly) || file.write(ico) != ico.size())
        return 1;
    file.close();
    sixteenColours(big).save(folder + QStringLiteral("/brivel-32.png"));
    sixteenColours(small).save(folder + QStringLiteral("/brivel-16.png"));
    return 0;
}
