#include "leader/DemoImages.h"

#include "leader/DemoRandom.h"

#include <QtEndian>
#include <algorithm>
#include <array>
#include <cmath>

namespace {

// RGB of each TColour.
const quint8 kPalette[TDemoCanvas::PaletteSize][3] = {
    {255, 255, 255}, {20, 20, 20}, {225, 225, 225}, {150, 150, 150}, {30, 60, 120},   {140, 190, 235},
    {236, 196, 168}, {40, 30, 25}, {200, 30, 30},   {45, 55, 80},    {245, 245, 240}, {190, 160, 140}};

// 3×5 glyphs of "0123456789-", one row per 3 bits (top bit left).
const std::array<std::array<quint8, 5>, 11> kGlyphs{{{7, 5, 5, 5, 7},
                                                     {2, 6, 2, 2, 7},
                                                     {7, 1, 7, 4, 7},
                                                     {7, 1, 7, 1, 7},
                                                     {5, 5, 7, 1, 1},
                                                     {7, 4, 7, 1, 7},
                                                     {7, 4, 7, 5, 7},
                                                     {7, 1, 1, 2, 2},
                                                     {7, 5, 7, 5, 7},
                                                     {7, 5, 7, 1, 7},
                                                     {0, 0, 7, 0, 0}}};

quint32 Crc32(const QByteArray &bytes)
{
    static const std::array<quint32, 256> table = [] {
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
    for (const char b : bytes)
        c = table[(c ^ quint8(b)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void AppendBE32(QByteArray &out, quint32 v)
{
    char b[4];
    qToBigEndian(v, b);
    out.append(b, 4);
}

// A PNG chunk: length, type, data, CRC of type and data.
void AppendChunk(QByteArray &out, const char *type, const QByteArray &data)
{
    AppendBE32(out, quint32(data.size()));
    const QByteArray typed = QByteArray(type, 4) + data;
    out += typed;
    AppendBE32(out, Crc32(typed));
}

} // namespace

TDemoCanvas::TDemoCanvas(int width, int height, TColour background)
    : FWidth(width)
    , FHeight(height)
    , FPixels(qsizetype(width) * height, char(background))
{}

void TDemoCanvas::Fill(int x, int y, int w, int h, TColour c)
{
    const int x0 = std::max(x, 0), x1 = std::min(x + w, FWidth);
    for (int row = std::max(y, 0); row < std::min(y + h, FHeight); ++row) {
        if (x1 > x0)
            std::fill_n(FPixels.data() + row * FWidth + x0, x1 - x0, char(c));
    }
}

void TDemoCanvas::Frame(int x, int y, int w, int h, TColour c)
{
    Fill(x, y, w, 1, c);
    Fill(x, y + h - 1, w, 1, c);
    Fill(x, y, 1, h, c);
    Fill(x + w - 1, y, 1, h, c);
}

void TDemoCanvas::Ellipse(int cx, int cy, int rx, int ry, TColour c)
{
    for (int dy = -ry; dy <= ry; ++dy) {
        const double t = 1.0 - double(dy * dy) / double(ry * ry);
        const int half = int(rx * std::sqrt(std::max(t, 0.0)));
        Fill(cx - half, cy + dy, 2 * half + 1, 1, c);
    }
}

void TDemoCanvas::Ring(int cx, int cy, int r, int thickness, TColour c)
{
    for (int y = -r; y <= r; ++y) {
        for (int x = -r; x <= r; ++x) {
            const int d = x * x + y * y;
            if (d <= r * r && d >= (r - thickness) * (r - thickness))
                Fill(cx + x, cy + y, 1, 1, c);
        }
    }
}

void TDemoCanvas::Digits(int x, int y, const QString &text, int scale, TColour c)
{
    for (const QChar ch : text) {
        const int glyph = ch == u'-' ? 10 : ch.digitValue();
        if (glyph >= 0) {
            for (int row = 0; row < 5; ++row) {
                for (int col = 0; col < 3; ++col) {
                    if (kGlyphs[glyph][row] & (4 >> col))
                        Fill(x + col * scale, y + row * scale, scale, scale, c);
                }
            }
        }
        x += 4 * scale;
    }
}

void TDemoCanvas::TextLine(int x, int y, int width, TDemoRandom &rng, TColour c)
{
    // Words of 3 to 9 pixels with gaps, as a line of small print reads from afar.
    for (int at = x; at < x + width;) {
        const int word = std::min(rng.Range(3, 9), x + width - at);
        Fill(at, y, word, 2, c);
        at += word + rng.Range(2, 4);
    }
}

QByteArray TDemoCanvas::Png() const
{
    QByteArray out("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    AppendBE32(header, quint32(FWidth));
    AppendBE32(header, quint32(FHeight));
    header += QByteArray("\x08\x03\x00\x00\x00", 5); // 8 bits, indexed, deflate, no filter, no interlace
    AppendChunk(out, "IHDR", header);
    QByteArray palette;
    for (const auto &rgb : kPalette)
        palette.append(reinterpret_cast<const char *>(rgb), 3);
    AppendChunk(out, "PLTE", palette);
    QByteArray raw;
    raw.reserve(qsizetype(FWidth + 1) * FHeight);
    for (int y = 0; y < FHeight; ++y) {
        raw.append('\0'); // filter type None
        raw.append(FPixels.constData() + y * FWidth, FWidth);
    }
    // qCompress gives a 4-byte length and then exactly the zlib stream PNG wants.
    AppendChunk(out, "IDAT", qCompress(raw, 1).mid(4));
    AppendChunk(out, "IEND", {});
    return out;
}

namespace {

void DrawHead(TDemoCanvas &c, int cx, int top, int scale10, bool female, TDemoRandom &rng)
{
    const int rx = 18 * scale10 / 10, ry = 24 * scale10 / 10;
    const int cy = top + ry;
    // Hair behind the face: it shows above and beside it, and below the ears when long.
    c.Ellipse(cx, cy - 4, rx + 3, ry + 1 + rng.Range(0, 2), TDemoCanvas::Hair);
    if (female)
        c.Fill(cx - rx - 3, cy - 4, 2 * rx + 7, ry + 6, TDemoCanvas::Hair);
    c.Fill(cx - rx / 3, cy + ry - 6, 2 * (rx / 3) + 1, ry / 2, TDemoCanvas::Skin); // neck
    c.Ellipse(cx, cy + 5, rx, ry - 3, TDemoCanvas::Skin);
    c.Fill(cx - rx / 2 - 2, cy + 1, 4, 3, TDemoCanvas::Black); // eyes
    c.Fill(cx + rx / 2 - 1, cy + 1, 4, 3, TDemoCanvas::Black);
    c.Fill(cx - 1, cy + 6, 2, ry / 4, TDemoCanvas::Shadow); // nose
    c.Fill(cx - rx / 3, cy + ry / 2 + 4, 2 * (rx / 3) + 1, 2, TDemoCanvas::Red);
}

} // namespace

QByteArray DemoPhotoPng(TDemoRandom &rng, bool female, const QString &KSH)
{
    TDemoCanvas c(96, 128, rng.Percent(80) ? TDemoCanvas::PaleBlue : TDemoCanvas::White);
    const int cx = 48 + rng.Range(-3, 3);
    const TDemoCanvas::TColour clothes = rng.Percent(50) ? TDemoCanvas::Jacket : TDemoCanvas::ShirtWhite;
    c.Ellipse(cx, 128, 46, 30, clothes);
    DrawHead(c, cx, 22 + rng.Range(-3, 3), 10 + rng.Range(-1, 1), female, rng);
    c.Digits(4, 121, KSH.right(6), 1, TDemoCanvas::Grey);
    return c.Png();
}

QByteArray DemoFormPng(int kind, TDemoRandom &rng, bool female, const QString &KSH, int page)
{
    TDemoCanvas c(240, 340, TDemoCanvas::White);
    const TDemoCanvas::TColour band = kind == 1 ? TDemoCanvas::Red : TDemoCanvas::Navy;
    c.Fill(0, 0, 240, 26, band);
    c.Fill(60, 9, 120, 3, TDemoCanvas::White); // the title
    c.Fill(80, 15, 80, 3, TDemoCanvas::White);
    c.Digits(12, 32, KSH, 2, TDemoCanvas::Black);
    if (kind == 2) {
        // Running text with a signature, one or two pages.
        for (int y = 60; y < 300; y += 9)
            c.TextLine(16, y, 208, rng);
        c.Digits(200, 320, QString::number(page), 2, TDemoCanvas::Grey);
        for (int x = 150; x < 210; ++x)
            c.Fill(x, 300 + int(4 * std::sin(x / 5.0)), 1, 2, TDemoCanvas::Navy);
        return c.Png();
    }
    // A form: a table of labelled cells, a photo box on the registration form and an
    // examination stamp on the health-check form.
    const int rows = kind == 0 ? 12 : 18;
    const int top = 56, rowHeight = (330 - top) / rows;
    for (int r = 0; r < rows; ++r) {
        c.Frame(10, top + r * rowHeight, 220, rowHeight + 1, TDemoCanvas::Black);
        c.Fill(70, top + r * rowHeight, 1, rowHeight, TDemoCanvas::Black);
        c.TextLine(14, top + r * rowHeight + rowHeight / 2 - 1, 50, rng, TDemoCanvas::Black);
        if (kind != 0 || r >= 5)
            c.TextLine(76, top + r * rowHeight + rowHeight / 2 - 1, rng.Range(40, 140), rng);
        else
            c.TextLine(76, top + r * rowHeight + rowHeight / 2 - 1, rng.Range(30, 80), rng);
    }
    if (kind == 0) {
        c.Fill(165, top + 1, 64, 5 * rowHeight - 1, TDemoCanvas::PaleBlue);
        DrawHead(c, 197, top + 10, 8, female, rng);
    } else {
        c.Ring(180, 290, 24, 3, TDemoCanvas::Red);
        c.Fill(164, 289, 32, 2, TDemoCanvas::Red);
    }
    return c.Png();
}
