#include "icon_file.h"

#include <QtEndian>

#include <algorithm>
#include <array>
#include <cmath>

namespace orvane::cli {

namespace {

quint32 crc32(const QByteArray& data)
{
    static const auto table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    quint32 c = 0xFFFFFFFFu;
    for (char byte : data)
        c = table[(c ^ quint8(byte)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void appendBigEndian(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

void appendChunk(QByteArray& png, const char type[4], const QByteArray& data)
{
    appendBigEndian(png, quint32(data.size()));
    const QByteArray typed = QByteArray(type, 4) + data;
    png += typed;
    appendBigEndian(png, crc32(typed));
}

double clamp01(double v)
{
    return std::clamp(v, 0.0, 1.0);
}

} // namespace

QByteArray encodePng(int width, int height, const QByteArray& rgba)
{
    QByteArray raw;
    raw.reserve(qsizetype(height) * (1 + 4 * width));
    for (int y = 0; y < height; ++y) {
        raw.append('\0'); // filter: none
        raw.append(rgba.constData() + qsizetype(y) * width * 4, qsizetype(width) * 4);
    }
    QByteArray header;
    appendBigEndian(header, quint32(width));
    appendBigEndian(header, quint32(height));
    header.append(char(8)); // bit depth
    header.append(char(6)); // colour type: RGBA
    header.append(3, '\0'); // compression, filter, interlace

    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", qCompress(raw, 9).mid(4)); // qCompress adds a 4-byte length before the zlib stream
    appendChunk(png, "IEND", {});
    return png;
}

QByteArray makeIcns(quint32 top, quint32 bottom)
{
    constexpr int size = 128;
    constexpr double inset = 8, radius = 28, disc = 26;
    QByteArray rgba(size * size * 4, '\0');
    const auto channel = [](quint32 colour, int shift) { return double((colour >> shift) & 0xFF); };
    for (int y = 0; y < size; ++y) {
        const double fy = y + 0.5;
        const double mix = (fy - inset) / (size - 2 * inset);
        for (int x = 0; x < size; ++x) {
            const double fx = x + 0.5;
            // Signed distance to the rounded square, for a one-pixel soft edge.
            const double qx = std::abs(fx - size / 2.0) - (size / 2.0 - inset - radius);
            const double qy = std::abs(fy - size / 2.0) - (size / 2.0 - inset - radius);
            const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
            const double dist = outside + std::min(std::max(qx, qy), 0.0) - radius;
            const double alpha = clamp01(0.5 - dist);
            const double glow = clamp01(0.5 - (std::hypot(fx - size / 2.0, fy - size / 2.0) - disc)) * 0.85;
            char* px = rgba.data() + (qsizetype(y) * size + x) * 4;
            for (int c = 0; c < 3; ++c) {
                const int shift = 16 - 8 * c;
                const double base = channel(top, shift) * (1 - clamp01(mix)) + channel(bottom, shift) * clamp01(mix);
                px[c] = char(quint8(std::lround(base * (1 - glow) + 255 * glow)));
            }
            px[3] = char(quint8(std::lround(alpha * 255)));
        }
    }
    const QByteArray png = encodePng(size, size, rgba);
    QByteArray icns("icns");
    appendBigEndian(icns, quint32(8 + 8 + png.size()));
    icns += "ic07";
    appendBigEndian(icns, quint32(8 + png.size()));
    icns += png;
    return icns;
}

} // namespace orvane::cli
