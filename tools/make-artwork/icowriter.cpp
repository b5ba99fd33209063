// Palette reduction and writing of single-image Windows .ico files with 4-bit or 8-bit colour.
#include "icowriter.h"

#include <QFile>

#include <algorithm>
#include <cstdint>
#include <map>

namespace artwork {

namespace {

struct Weighted {
    QRgb colour;
    int count;
};

int channel(QRgb c, int which)
{
    switch (which) {
    case 0:
        return qRed(c);
    case 1:
        return qGreen(c);
    default:
        return qBlue(c);
    }
}

// Perceptually weighted squared distance; green matters most, blue least.
int distance(QRgb a, QRgb b)
{
    const int dr = qRed(a) - qRed(b);
    const int dg = qGreen(a) - qGreen(b);
    const int db = qBlue(a) - qBlue(b);
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

QRgb weightedMean(const std::vector<Weighted>& box)
{
    long long r = 0;
    long long g = 0;
    long long b = 0;
    long long n = 0;
    for (const Weighted& w : box) {
        r += static_cast<long long>(qRed(w.colour)) * w.count;
        g += static_cast<long long>(qGreen(w.colour)) * w.count;
        b += static_cast<long long>(qBlue(w.colour)) * w.count;
        n += w.count;
    }
    if (n == 0)
        return qRgb(0, 0, 0);
    return qRgb(static_cast<int>((r + n / 2) / n), static_cast<int>((g + n / 2) / n),
                static_cast<int>((b + n / 2) / n));
}

// Widest channel of a box and its range, scaled by the number of pixels so busy boxes split first.
std::pair<int, long long> splitScore(const std::vector<Weighted>& box)
{
    int bestChannel = 0;
    int bestRange = -1;
    long long pixels = 0;
    for (const Weighted& w : box)
        pixels += w.count;
    for (int ch = 0; ch < 3; ++ch) {
        int lo = 255;
        int hi = 0;
        for (const Weighted& w : box) {
            lo = std::min(lo, channel(w.colour, ch));
            hi = std::max(hi, channel(w.colour, ch));
        }
        if (hi - lo > bestRange) {
            bestRange = hi - lo;
            bestChannel = ch;
        }
    }
    if (box.size() < 2)
        return {bestChannel, -1};
    return {bestChannel, static_cast<long long>(bestRange) * (1 + pixels)};
}

void appendLe16(QByteArray& out, int value)
{
    out.append(static_cast<char>(value & 0xff));
    out.append(static_cast<char>((value >> 8) & 0xff));
}

void appendLe32(QByteArray& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.append(static_cast<char>((value >> shift) & 0xffu));
}

} // namespace

std::vector<QRgb> reducePalette(const std::vector<QRgb>& pixels, int maxColours)
{
    std::map<QRgb, int> counts;
    for (QRgb c : pixels)
        ++counts[qRgb(qRed(c), qGreen(c), qBlue(c))];
    std::vector<Weighted> all;
    all.reserve(counts.size());
    for (const auto& [colour, count] : counts)
        all.push_back({colour, count});
    if (static_cast<int>(all.size()) <= maxColours) {
        std::vector<QRgb> exact;
        for (const Weighted& w : all)
            exact.push_back(w.colour);
        return exact;
    }

    std::vector<std::vector<Weighted>> boxes{all};
    while (static_cast<int>(boxes.size()) < maxColours) {
        std::size_t pick = 0;
        long long pickScore = -1;
        int pickChannel = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            const auto [ch, score] = splitScore(boxes[i]);
            if (score > pickScore) {
                pickScore = score;
                pick = i;
                pickChannel = ch;
            }
        }
        if (pickScore < 0)
            break;
        std::vector<Weighted> box = boxes[pick];
        std::stable_sort(box.begin(), box.end(), [pickChannel](const Weighted& a, const Weighted& b) {
            return channel(a.colour, pickChannel) < channel(b.colour, pickChannel);
        });
        long long total = 0;
        for (const Weighted& w : box)
            total += w.count;
        long long running = 0;
        std::size_t cut = 1;
        for (std::size_t i = 0; i + 1 < box.size(); ++i) {
            running += box[i].count;
            cut = i + 1;
            if (running * 2 >= total)
                break;
        }
        boxes[pick] = std::vector<Weighted>(box.begin(), box.begin() + static_cast<std::ptrdiff_t>(cut));
        boxes.emplace_back(box.begin() + static_cast<std::ptrdiff_t>(cut), box.end());
    }

    std::vector<QRgb> palette;
    for (const auto& box : boxes)
        palette.push_back(weightedMean(box));

    // A few k-means rounds pull the colours towards the pixels that actually use them.
    for (int round = 0; round < 8; ++round) {
        std::vector<std::vector<Weighted>> clusters(palette.size());
        for (const Weighted& w : all) {
            std::size_t best = 0;
            for (std::size_t i = 1; i < palette.size(); ++i) {
                if (distance(w.colour, palette[i]) < distance(w.colour, palette[best]))
                    best = i;
            }
            clusters[best].push_back(w);
        }
        for (std::size_t i = 0; i < palette.size(); ++i) {
            if (!clusters[i].empty())
                palette[i] = weightedMean(clusters[i]);
        }
    }
    return palette;
}

bool writeIndexedIco(const QImage& image, int bitsPerPixel, int alphaThreshold, const QString& path, QString* error)
{
    if (bitsPerPixel != 4 && bitsPerPixel != 8) {
        *error = QStringLiteral("unsupported colour depth %1").arg(bitsPerPixel);
        return false;
    }
    const QImage src = image.convertToFormat(QImage::Format_ARGB32);
    const int width = src.width();
    const int height = src.height();
    const int paletteSize = 1 << bitsPerPixel;

    std::vector<QRgb> opaque;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const QRgb c = src.pixel(x, y);
            if (qAlpha(c) >= alphaThreshold)
                opaque.push_back(c);
        }
    }
    std::vector<QRgb> palette{qRgb(0, 0, 0)};
    for (QRgb c : reducePalette(opaque, paletteSize - 1))
        palette.push_back(c);

    auto indexOf = [&palette](QRgb c) {
        std::size_t best = 1;
        for (std::size_t i = 2; i < palette.size(); ++i) {
            if (distance(c, palette[i]) < distance(c, palette[best]))
                best = i;
        }
        return static_cast<int>(best);
    };

    const int xorStride = ((width * bitsPerPixel + 31) / 32) * 4;
    const int andStride = ((width + 31) / 32) * 4;
    QByteArray xorBits(xorStride * height, '\0');
    QByteArray andBits(andStride * height, '\0');
    for (int y = 0; y < height; ++y) {
        const int row = height - 1 - y; // bitmaps are stored bottom-up
        for (int x = 0; x < width; ++x) {
            const QRgb c = src.pixel(x, y);
            int index = 0;
            if (qAlpha(c) < alphaThreshold) {
                char& maskByte = andBits[row * andStride + x / 8];
                maskByte = static_cast<char>(maskByte | (0x80 >> (x % 8)));
            } else {
                index = indexOf(c);
            }
            if (bitsPerPixel == 8) {
                xorBits[row * xorStride + x] = static_cast<char>(index);
            } else {
                const int shift = (x % 2 == 0) ? 4 : 0;
                char& byte = xorBits[row * xorStride + x / 2];
                byte = static_cast<char>(byte | (index << shift));
            }
        }
    }

    const std::uint32_t headerSize = 40;
    const std::uint32_t imageBytes = static_cast<std::uint32_t>(xorBits.size() + andBits.size());
    const std::uint32_t resourceBytes = headerSize + static_cast<std::uint32_t>(paletteSize) * 4 + imageBytes;

    QByteArray out;
    // ICONDIR
    appendLe16(out, 0);
    appendLe16(out, 1);
    appendLe16(out, 1);
    // ICONDIRENTRY
    out.append(static_cast<char>(width >= 256 ? 0 : width));
    out.append(static_cast<char>(height >= 256 ? 0 : height));
    out.append(static_cast<char>(paletteSize >= 256 ? 0 : paletteSize));
    out.append('\0');
    appendLe16(out, 1);
    appendLe16(out, bitsPerPixel);
    appendLe32(out, resourceBytes);
    appendLe32(out, 6 + 16);
    // BITMAPINFOHEADER; the height covers the colour bitmap and the mask
    appendLe32(out, headerSize);
    appendLe32(out, static_cast<std::uint32_t>(width));
    appendLe32(out, static_cast<std::uint32_t>(height * 2));
    appendLe16(out, 1);
    appendLe16(out, bitsPerPixel);
    appendLe32(out, 0);
    appendLe32(out, imageBytes);
    appendLe32(out, 0);
    appendLe32(out, 0);
    appendLe32(out, 0);
    appendLe32(out, 0);
    for (int i = 0; i < paletteSize; ++i) {
        const QRgb c = i < static_cast<int>(palette.size()) ? palette[static_cast<std::size_t>(i)] : qRgb(0, 0, 0);
        out.append(static_cast<char>(qBlue(c)));
        out.append(static_cast<char>(qGreen(c)));
        out.append(static_cast<char>(qRed(c)));
        out.append('\0');
    }
    out.append(xorBits);
    out.append(andBits);

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace artwork
