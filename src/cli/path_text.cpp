#include "path_text.h"

namespace orvane::cli {

namespace {

// Length of the valid UTF-8 sequence starting at `i`, or 0 when the byte there does not start one.
int sequenceLength(const QByteArray& s, qsizetype i)
{
    const auto at = [&](qsizetype k) { return static_cast<unsigned char>(s.at(k)); };
    const unsigned char c = at(i);
    if (c < 0x80)
        return 1;
    int length = 0;
    unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        if (c == 0xE0)
            lo = 0xA0; // no overlong forms
        if (c == 0xED)
            hi = 0x9F; // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        if (c == 0xF0)
            lo = 0x90;
        if (c == 0xF4)
            hi = 0x8F; // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (i + length > s.size())
        return 0;
    if (at(i + 1) < lo || at(i + 1) > hi)
        return 0;
    for (int k = 2; k < length; ++k)
        if (at(i + k) < 0x80 || at(i + k) > 0xBF)
            return 0;
    return length;
}

QString hexEscape(unsigned char c)
{
    return QStringLiteral("\\x%1").arg(uint(c), 2, 16, QLatin1Char('0'));
}

constexpr QLatin1StringView base64Prefix("base64:");

// The code point of the valid sequence of `n` bytes at `i`.
char32_t codePoint(const QByteArray& s, qsizetype i, int n)
{
    const auto at = [&](qsizetype k) { return char32_t(static_cast<unsigned char>(s.at(i + k))); };
    if (n == 1)
        return at(0);
    char32_t c = at(0) & (0xFF >> (n + 1));
    for (int k = 1; k < n; ++k)
        c = (c << 6) | (at(k) & 0x3F);
    return c;
}

// A character a terminal acts on rather than shows: C0 and C1 controls, DEL, the line and
// paragraph separators, and the bidirectional overrides that reorder what follows them.
bool actsOnTerminal(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E)
           || (c >= 0x2066 && c <= 0x2069);
}

} // namespace

QString jsonPath(const QByteArray& path)
{
    if (path.isValidUtf8())
        return QString::fromUtf8(path);
    return base64Prefix + QString::fromLatin1(path.toBase64());
}

QString readablePath(const QByteArray& path)
{
    QString out;
    out.reserve(path.size());
    for (qsizetype i = 0; i < path.size();) {
        const auto c = static_cast<unsigned char>(path.at(i));
        const int n = sequenceLength(path, i);
        if (n == 0) {
            out += hexEscape(c);
            ++i;
        } else if (actsOnTerminal(codePoint(path, i, n))) {
            for (int k = 0; k < n; ++k)
                out += hexEscape(static_cast<unsigned char>(path.at(i + k)));
            i += n;
        } else if (c == '\\') {
            out += QStringLiteral("\\\\");
            ++i;
        } else {
            out += QString::fromUtf8(path.constData() + i, n);
            i += n;
        }
    }
    return out;
}

QString readableName(const QString& name)
{
    return readablePath(name.toUtf8());
}

} // namespace orvane::cli
