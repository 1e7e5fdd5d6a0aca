#include "model/Utf8.h"

#include "model/OwnThread.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Bytes [i, n) of p: a character may not run past n.
bool validRange(const unsigned char *p, qint64 i, const qint64 n)
{
    for (; i < n;) {
        // Parts are mostly ASCII markup: eight bytes at a time where they are.
        if (n - i >= 8) {
            quint64 word;
            memcpy(&word, p + i, sizeof word);
            if ((word & 0x8080808080808080ull) == 0) {
                i += 8;
                continue;
            }
        }
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra = 0;
        quint32 cp = 0;
        if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= n)
            return false;
        for (int k = 1; k <= extra; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        static const quint32 least[] = {0, 0x80, 0x800, 0x10000};
        if (cp < least[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

} // namespace

bool Utf8::isValid(const QByteArray &data)
{
    const auto *p = reinterpret_cast<const unsigned char *>(data.constData());
    const qint64 n = data.size();
    const int threads = n < (qint64(4) << 20) ? 1 : OwnThread::share();
    if (threads < 2)
        return validRange(p, 0, n);
    // A large part in pieces side by side, each starting where a character
    // does; continuation bytes past three in a row are wrong wherever the
    // cut falls.
    std::vector<qint64> cuts{0};
    for (int k = 1; k < threads; ++k) {
        qint64 at = n * k / threads;
        for (int step = 0; step < 3 && (p[at] & 0xC0) == 0x80; ++step)
            ++at;
        cuts.push_back(qMax(at, cuts.back()));
    }
    cuts.push_back(n);
    const std::vector<char> valid = OwnThread::each(
        threads, [&](int k) { return char(validRange(p, cuts[size_t(k)], cuts[size_t(k) + 1])); });
    return std::find(valid.cbegin(), valid.cend(), char(false)) == valid.cend();
}
