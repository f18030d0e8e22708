#pragma once

#include <QByteArray>
#include <QString>

class TDemoRandom;

// The candidates' demo images as PNG files, drawn without Qt Gui: an indexed canvas
// compressed with qCompress (zlib) into a PNG stream.

// An 8-bit indexed picture with a fixed palette (see DemoImages.cpp).
class TDemoCanvas
{
public:
    enum TColour : quint8
    {
        White,
        Black,
        LightGrey,
        Grey,
        Navy,
        PaleBlue,
        Skin,
        Hair,
        Red,
        Jacket,
        ShirtWhite,
        Shadow,
        PaletteSize
    };

    TDemoCanvas(int width, int height, TColour background);
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    quint8 At(int x, int y) const { return quint8(FPixels.at(y * FWidth + x)); }

    // Shapes are clipped to the canvas.
    void Fill(int x, int y, int w, int h, TColour c);
    void Frame(int x, int y, int w, int h, TColour c);
    void Ellipse(int cx, int cy, int rx, int ry, TColour c);
    void Ring(int cx, int cy, int r, int thickness, TColour c);
    // Digits and '-' in a 3×5 pixel font, each pixel scale × scale.
    void Digits(int x, int y, const QString &text, int scale, TColour c);
    // Grey strokes standing for a line of handwriting or print.
    void TextLine(int x, int y, int width, TDemoRandom &rng, TColour c = Grey);

    QByteArray Png() const;

private:
    int FWidth;
    int FHeight;
    QByteArray FPixels;
};

// A passport-style photo, 96 × 128 pixels.
QByteArray DemoPhotoPng(TDemoRandom &rng, bool female, const QString &KSH);
// A scanned form of a kind: 0 registration form, 1 health-check form, 2 additional
// form, 240 × 340 pixels; page numbers a second page of the additional form.
QByteArray DemoFormPng(int kind, TDemoRandom &rng, bool female, const QString &KSH, int page = 1);
