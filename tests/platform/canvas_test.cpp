// canvas_test.cpp -- pixel-exact checks of shapes, text, images and blending on the back buffer
#include "platform/canvas.h"

#include "platform/font.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <set>
#include <sstream>
#include <string>
#include <utility>

namespace platform {
namespace {

using Point = std::pair<int, int>;  // (x, y)
using PixelSet = std::set<Point>;

constexpr Pixel black = 0xFF000000u;

PixelSet painted(const Canvas& canvas) {
    PixelSet set;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (canvas.at(x, y) != black) set.insert({x, y});
    return set;
}

PixelSet box(int left, int top, int right, int bottom) {  // inclusive corners
    PixelSet set;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) set.insert({x, y});
    return set;
}

// Glyph bits placed at (x, y), keeping only what lands on a width x height buffer.
PixelSet glyphPixels(char c, long long x, long long y, int width, int height) {
    PixelSet set;
    const std::uint8_t* rows = font::glyph(static_cast<unsigned char>(c));
    for (int r = 0; r < font::glyphHeight; ++r)
        for (int b = 0; b < font::glyphWidth; ++b)
            if (rows[r] & (0x80 >> b) && x + b >= 0 && x + b < width && y + r >= 0 && y + r < height)
                set.insert({int(x + b), int(y + r)});
    return set;
}

// On mismatch, draw the region around both sets: '#' drawn as expected, '+' drawn but not
// expected, '-' expected but missing, '.' correctly empty.
::testing::AssertionResult samePixels(const PixelSet& got, const PixelSet& want) {
    if (got == want) return ::testing::AssertionSuccess();
    PixelSet all = got;
    all.insert(want.begin(), want.end());
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    for (const auto& [x, y] : all) {
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
    }
    std::ostringstream out;
    out << "pixels differ; picture of x " << left - 1 << ".." << right + 1 << ", y " << top - 1 << ".."
        << bottom + 1 << " ('+' unexpected, '-' missing):\n";
    for (int y = top - 1; y <= std::min(bottom + 1, top + 60); ++y) {
        for (int x = left - 1; x <= std::min(right + 1, left + 100); ++x) {
            const bool g = got.count({x, y}) != 0, w = want.count({x, y}) != 0;
            out << (g && w ? '#' : g ? '+' : w ? '-' : '.');
        }
        out << '\n';
    }
    return ::testing::AssertionFailure() << out.str();
}

bool sameBuffers(const Canvas& a, const Canvas& b) {
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.at(x, y) != b.at(x, y)) return false;
    return true;
}

// An image every pixel of which is `colour` (alpha included), handle in the middle.
Image filledImage(int w, int h, Pixel colour) {
    Canvas maker(1, 1);
    maker.setAutoMidHandle(true);
    Image image = maker.makeImage(w, h);
    image.pixels.assign(image.pixels.size(), colour);
    return image;
}

TEST(CanvasState, StartsBlackWithDefaultsAndClampsWhatIsSet) {
    Canvas canvas(7, 5);
    EXPECT_TRUE(painted(canvas).empty());
    EXPECT_EQ(canvas.at(6, 4), black);
    EXPECT_EQ(canvas.red() + canvas.green() + canvas.blue(), 3 * 255);
    EXPECT_EQ(canvas.alpha(), 1.0f);
    EXPECT_EQ(canvas.blend(), Blend::Mask);
    EXPECT_EQ(canvas.scaleX(), 1.0f);
    EXPECT_EQ(canvas.scaleY(), 1.0f);
    EXPECT_EQ(canvas.rotation(), 0.0f);

    canvas.setColor(300, -4, 128);
    EXPECT_EQ(canvas.red(), 255);
    EXPECT_EQ(canvas.green(), 0);
    EXPECT_EQ(canvas.blue(), 128);
    canvas.setAlpha(1.5f);
    EXPECT_EQ(canvas.alpha(), 1.0f);
    canvas.setAlpha(-0.2f);
    EXPECT_EQ(canvas.alpha(), 0.0f);
    canvas.setAlpha(NAN);
    EXPECT_EQ(canvas.alpha(), 0.0f);
}

TEST(CanvasState, ClearIgnoresStateAndKeepsIt) {
    Canvas canvas(6, 4);
    canvas.setColor(10, 20, 30);
    canvas.fillRect(0, 0, 6, 4);
    canvas.setBlend(Blend::Alpha);
    canvas.setAlpha(0.3f);
    canvas.clear();
    EXPECT_TRUE(painted(canvas).empty());
    EXPECT_EQ(canvas.blend(), Blend::Alpha);
    EXPECT_EQ(canvas.green(), 20);
}

struct ShapeCase {
    const char* name;
    int x, y, w, h;
    PixelSet want;
};

TEST(CanvasRect, CoversExactlyItsPixelsAndClips) {
    const ShapeCase cases[] = {
        {"inside", 3, 2, 5, 4, box(3, 2, 7, 5)},
        {"single pixel", 0, 0, 1, 1, box(0, 0, 0, 0)},
        {"zero width", 3, 2, 0, 4, {}},
        {"negative height", 3, 2, 5, -1, {}},
        {"off top-left", -3, -2, 5, 4, box(0, 0, 1, 1)},
        {"off bottom-right", 17, 10, 10, 10, box(17, 10, 19, 11)},
        {"huge from near origin", -5, -5, INT_MAX, INT_MAX, box(0, 0, 19, 11)},
        {"huge from corner", 19, 11, INT_MAX, INT_MAX, box(19, 11, 19, 11)},
        {"INT_MIN ends left of buffer", INT_MIN, INT_MIN, INT_MAX, INT_MAX, {}},
        {"INT_MAX start", INT_MAX, INT_MAX, INT_MAX, INT_MAX, {}},
        {"INT_MIN size", 5, 5, INT_MIN, INT_MIN, {}},
    };
    for (const auto& c : cases) {
        Canvas canvas(20, 12);
        canvas.fillRect(c.x, c.y, c.w, c.h);
        EXPECT_TRUE(samePixels(painted(canvas), c.want)) << c.name;
    }
}

TEST(CanvasEllipse, SmallAndHugeEllipsesFollowThePixelCentreRule) {
    PixelSet roundedSquare = box(5, 5, 8, 8);
    for (const Point& corner : {Point{5, 5}, Point{8, 5}, Point{5, 8}, Point{8, 8}})
        roundedSquare.erase(corner);
    const ShapeCase cases[] = {
        {"1x1 is its pixel", 5, 5, 1, 1, box(5, 5, 5, 5)},
        {"2x2 fills its box", 5, 5, 2, 2, box(5, 5, 6, 6)},
        {"3x3 corner centres are inside", 5, 5, 3, 3, box(5, 5, 7, 7)},
        {"4x4 loses its corners", 5, 5, 4, 4, roundedSquare},
        {"flat 4x1", 5, 5, 4, 1, box(5, 5, 8, 5)},
        {"zero width", 5, 5, 0, 3, {}},
        {"huge around the origin", -(INT_MAX / 2), -(INT_MAX / 2), INT_MAX, INT_MAX, box(0, 0, 19, 11)},
        {"huge left of the buffer", INT_MIN, INT_MIN, INT_MAX, INT_MAX, {}},
        {"starts at INT_MAX", INT_MAX, INT_MAX, INT_MAX, INT_MAX, {}},
    };
    for (const auto& c : cases) {
        Canvas canvas(20, 12);
        canvas.fillEllipse(c.x, c.y, c.w, c.h);
        EXPECT_TRUE(samePixels(painted(canvas), c.want)) << c.name;
    }
}

TEST(CanvasEllipse, Diameter18DiscIsCentredOnXPlusOneAndSymmetric) {
    const int X = 20, Y = 16;
    Canvas canvas(48, 40);
    canvas.fillEllipse(X - 8, Y - 8, 18, 18);
    const PixelSet disc = painted(canvas);

    PixelSet reference;  // the pixel-centre rule evaluated directly
    for (int py = 0; py < 40; ++py) {
        for (int px = 0; px < 48; ++px) {
            const double ex = (px + 0.5 - (X + 1)) / 9.0, ey = (py + 0.5 - (Y + 1)) / 9.0;
            if (ex * ex + ey * ey <= 1.0) reference.insert({px, py});
        }
    }
    EXPECT_TRUE(samePixels(disc, reference));

    auto row = [&](int y) {
        PixelSet s;
        for (const auto& p : disc)
            if (p.second == y) s.insert(p);
        return s;
    };
    auto column = [&](int x) {
        PixelSet s;
        for (const auto& p : disc)
            if (p.first == x) s.insert(p);
        return s;
    };
    EXPECT_TRUE(samePixels(row(Y - 8), box(X - 2, Y - 8, X + 3, Y - 8)));
    EXPECT_TRUE(samePixels(row(Y - 7), box(X - 4, Y - 7, X + 5, Y - 7)));
    EXPECT_TRUE(samePixels(row(Y), box(X - 8, Y, X + 9, Y)));
    EXPECT_TRUE(samePixels(row(Y + 9), box(X - 2, Y + 9, X + 3, Y + 9)));
    EXPECT_TRUE(row(Y - 9).empty() && row(Y + 10).empty());
    EXPECT_TRUE(samePixels(column(X + 1), box(X + 1, Y - 8, X + 1, Y + 9)));

    for (const auto& [px, py] : disc) {
        EXPECT_TRUE(disc.count({2 * X + 1 - px, py})) << px << "," << py << " has no left-right mirror";
        EXPECT_TRUE(disc.count({px, 2 * Y + 1 - py})) << px << "," << py << " has no top-bottom mirror";
        EXPECT_TRUE(disc.count({py - Y + X, px - X + Y})) << px << "," << py << " has no diagonal mirror";
    }

    // Clipping must not change the shape: the same disc pushed off the top-left corner.
    Canvas clipped(48, 40);
    clipped.fillEllipse(X - 8 - 12, Y - 8 - 13, 18, 18);
    PixelSet shifted;
    for (const auto& [px, py] : disc)
        if (px - 12 >= 0 && py - 13 >= 0) shifted.insert({px - 12, py - 13});
    EXPECT_TRUE(samePixels(painted(clipped), shifted));
}

TEST(CanvasText, HealthNumberStaysInsideItsThreeCells) {
    const int X = 40, Y = 40;
    Canvas canvas(80, 60);
    canvas.drawText(X - 15, Y - 30, "100");
    const PixelSet got = painted(canvas);

    PixelSet want = glyphPixels('1', X - 15, Y - 30, 80, 60);
    for (const auto& p : glyphPixels('0', X - 7, Y - 30, 80, 60)) want.insert(p);
    for (const auto& p : glyphPixels('0', X + 1, Y - 30, 80, 60)) want.insert(p);
    EXPECT_TRUE(samePixels(got, want));
    for (const auto& [px, py] : got) {
        EXPECT_TRUE(px >= X - 15 && px <= X + 8 && py >= Y - 30 && py <= Y - 15) << px << "," << py;
    }
    for (int cell = 0; cell < 3; ++cell) {
        const int left = X - 15 + 8 * cell;
        EXPECT_TRUE(std::any_of(got.begin(), got.end(),
                                [&](const Point& p) { return p.first >= left && p.first < left + 8; }))
            << "cell " << cell << " is blank";
    }
}

TEST(CanvasText, CodesOutsideTheFontTakeNoRoom) {
    Canvas plain(40, 20), skipping(40, 20), withDel(40, 20);
    plain.drawText(2, 2, "10");
    skipping.drawText(2, 2,
                      "\x01\x1F"
                      "1"
                      "\x80\xC8\xFF"
                      "0"
                      "\n");
    withDel.drawText(2, 2,
                     "1\x7F"
                     "0");
    EXPECT_FALSE(painted(plain).empty());
    EXPECT_TRUE(samePixels(painted(skipping), painted(plain)));
    EXPECT_FALSE(sameBuffers(withDel, plain)) << "code 127 is in the font and must advance";
}

TEST(CanvasText, ClipsAtEveryEdge) {
    const struct {
        int x, y;
    } cases[] = {{-5, -7},     {15, 9},          {-11, 3},        {INT_MIN, INT_MIN},
                 {INT_MAX, 0}, {INT_MAX - 3, 2}, {0, INT_MAX - 5}};
    for (const auto& c : cases) {
        Canvas canvas(20, 12);
        canvas.drawText(c.x, c.y, "W8");
        PixelSet want = glyphPixels('W', c.x, c.y, 20, 12);
        for (const auto& p : glyphPixels('8', c.x + 8LL, c.y, 20, 12)) want.insert(p);
        EXPECT_TRUE(samePixels(painted(canvas), want)) << "text at " << c.x << "," << c.y;
    }
}

TEST(CanvasText, BlendsSetBitsAndLeavesTheRestAlone) {
    Canvas canvas(12, 18);
    canvas.setColor(0, 0, 200);
    canvas.fillRect(0, 0, 12, 18);
    canvas.setColor(255, 0, 0);
    canvas.setBlend(Blend::Alpha);
    canvas.setAlpha(0.5f);
    canvas.drawText(1, 1, "8");
    const PixelSet ink = glyphPixels('8', 1, 1, 12, 18);
    ASSERT_FALSE(ink.empty());
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 12; ++x)
            EXPECT_EQ(canvas.at(x, y), ink.count({x, y}) ? rgb(128, 0, 100) : rgb(0, 0, 200))
                << x << "," << y;
}

TEST(CanvasBlend, MaskThresholdsAndAlphaMixesRoundedPerChannel) {
    const struct {
        const char* name;
        Blend blend;
        float alpha;
        Pixel background, colour, want;
    } cases[] = {
        {"mask below half writes nothing", Blend::Mask, 0.4f, rgb(0, 100, 200), rgb(250, 0, 10),
         rgb(0, 100, 200)},
        {"mask at half writes opaque", Blend::Mask, 0.5f, rgb(0, 100, 200), rgb(250, 0, 10), rgb(250, 0, 10)},
        {"alpha rounds 63.75 up", Blend::Alpha, 0.25f, rgb(0, 0, 0), rgb(255, 255, 255), rgb(64, 64, 64)},
        {"alpha mixes each channel", Blend::Alpha, 0.4f, rgb(0, 100, 200), rgb(250, 0, 10),
         rgb(100, 60, 124)},
        {"alpha one replaces", Blend::Alpha, 1.0f, rgb(0, 100, 200), rgb(250, 0, 10), rgb(250, 0, 10)},
        {"alpha zero keeps", Blend::Alpha, 0.0f, rgb(0, 100, 200), rgb(250, 0, 10), rgb(0, 100, 200)},
    };
    auto channels = [](Pixel p, int& r, int& g, int& b) {
        r = int(p >> 16 & 0xFF), g = int(p >> 8 & 0xFF), b = int(p & 0xFF);
    };
    // Rectangles and ellipses fill rows their own way; text plots pixel by pixel.
    enum Shape { Box, Ellipse, Text };
    // A pixel the glyph of '8' inks and one it leaves alone, for text drawn at (1, 1).
    const PixelSet ink = glyphPixels('8', 1, 1, 12, 18);
    ASSERT_FALSE(ink.empty());
    const Point inked = *ink.begin();
    for (const auto& c : cases) {
        for (const Shape shape : {Box, Ellipse, Text}) {
            Canvas canvas(12, 18);
            int r, g, b;
            channels(c.background, r, g, b);
            canvas.setColor(r, g, b);
            canvas.fillRect(0, 0, 12, 18);
            channels(c.colour, r, g, b);
            canvas.setColor(r, g, b);
            canvas.setBlend(c.blend);
            canvas.setAlpha(c.alpha);
            const char* what[] = {" (rect)", " (ellipse)", " (text)"};
            if (shape == Box) canvas.fillRect(inked.first, inked.second, 1, 1);
            if (shape == Ellipse) canvas.fillEllipse(inked.first, inked.second, 1, 1);
            if (shape == Text) canvas.drawText(1, 1, "8");
            EXPECT_EQ(canvas.at(inked.first, inked.second), c.want) << c.name << what[shape];
            EXPECT_EQ(canvas.at(0, 0), c.background) << c.name << what[shape];
        }
    }
}

TEST(CanvasImage, PlacementScaleAndClippingCoverTheMappedPixels) {
    const struct {
        const char* name;
        float sx, sy, degrees, x, y;
        PixelSet want;
    } cases[] = {
        {"cell (1,1) of the grid", 1, 1, 0, 24, 24, box(16, 16, 31, 31)},
        {"last cell of the grid", 1, 1, 0, 56, 40, box(48, 32, 63, 47)},
        {"cell left of the buffer", 1, 1, 0, -8, 8, {}},
        {"cell over the corner", 1, 1, 0, 4, 4, box(0, 0, 11, 11)},
        {"bar 16 x 3.2", 1, 0.2f, 0, 20, 20, box(12, 18, 27, 21)},
        {"bar half a pixel down", 1, 0.2f, 0, 20, 20.5f, box(12, 19, 27, 21)},
        {"quarter-pixel placement", 1, 1, 0, 20.25f, 20, box(12, 12, 27, 27)},
        {"three-quarter-pixel placement", 1, 1, 0, 20.75f, 20, box(13, 12, 28, 27)},
        {"doubled around the handle", 2, 2, 0, 20, 20, box(4, 4, 35, 35)},
        {"mirrored", -1, 1, 0, 20, 20, box(12, 12, 27, 27)},
        {"half turn", 1, 1, 180, 20, 20, box(12, 12, 27, 27)},
        {"zero scale", 0, 1, 0, 20, 20, {}},
        {"not-a-number scale", NAN, 1, 0, 20, 20, {}},
        {"far off screen", 1, 1, 0, 1e30f, 20, {}},
        {"enormous and tilted", 1e9f, 1e9f, 45, 30, 20, box(0, 0, 63, 47)},
    };
    const Image cell = filledImage(16, 16, 0xFFFFFFFFu);
    for (const auto& c : cases) {
        Canvas canvas(64, 48);
        canvas.setScale(c.sx, c.sy);
        canvas.setRotation(c.degrees);
        canvas.drawImage(cell, c.x, c.y);
        EXPECT_TRUE(samePixels(painted(canvas), c.want)) << c.name;
    }
}

TEST(CanvasImage, QuarterTurnIsClockwiseAboutTheHandle) {
    // Rows "A B C D" / "E F G H"; turned clockwise the top row becomes the right-hand column.
    Image wide = filledImage(4, 2, 0);
    for (int i = 0; i < 8; ++i) wide.pixels[i] = rgb(10 * (i + 1), 0, 0);
    wide.handleX = wide.handleY = 0;
    Canvas canvas(24, 24);
    canvas.setRotation(90);
    canvas.drawImage(wide, 10, 10);
    EXPECT_TRUE(samePixels(painted(canvas), box(8, 10, 9, 13)));
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(canvas.at(9, 10 + k), wide.at(k, 0)) << "top row, pixel " << k;
        EXPECT_EQ(canvas.at(8, 10 + k), wide.at(k, 1)) << "bottom row, pixel " << k;
    }
    wide.handleX = 2, wide.handleY = 1;
    canvas.clear();
    canvas.drawImage(wide, 20, 20);
    EXPECT_TRUE(samePixels(painted(canvas), box(19, 18, 20, 21)));
}

TEST(CanvasImage, FastPlacementMatchesTheGeneralTransform) {
    // A full turn is the identity but cannot take the shortcut, so both paths must agree bit for bit.
    Image art = filledImage(16, 16, 0);
    const Pixel alphas[] = {0x00, 0x7F, 0x80, 0xC0, 0xFF};
    for (int i = 0; i < 256; ++i) art.pixels[i] = (alphas[i % 5] << 24) | ((i * 977u) & 0xFFFFFFu);
    for (const Blend blend : {Blend::Mask, Blend::Alpha}) {
        for (const float handle : {8.0f, 7.5f}) {
            Canvas fast(40, 30), general(40, 30);
            for (Canvas* c : {&fast, &general}) {
                for (int y = 0; y < 30; ++y) c->setColor(8 * y, 255 - 8 * y, 90), c->fillRect(0, y, 40, 1);
                c->setColor(200, 150, 100);
                c->setBlend(blend);
                c->setAlpha(0.7f);
            }
            general.setRotation(360);
            art.handleX = art.handleY = handle;
            fast.drawImage(art, handle + 13, handle - 5);  // clipped at the top edge
            general.drawImage(art, handle + 13, handle - 5);
            Canvas background(40, 30);
            for (int y = 0; y < 30; ++y)
                background.setColor(8 * y, 255 - 8 * y, 90), background.fillRect(0, y, 40, 1);
            EXPECT_FALSE(sameBuffers(fast, background)) << "nothing was drawn";
            EXPECT_TRUE(sameBuffers(fast, general))
                << "handle " << handle << (blend == Blend::Mask ? " mask" : " alpha");
        }
    }
}

TEST(CanvasImage, OneColourImageFillsExactlyAsThePixelLoopShades) {
    // An image of one opaque colour is drawn as a fill; one whose last pixel is 254 instead of 255
    // takes the pixel-by-pixel path, yet under a tint of 100 both shades come out as 100.
    const Image solid = filledImage(16, 16, 0xFFFFFFFFu);
    Image nearlySolid = solid;
    nearlySolid.pixels.back() = 0xFFFEFEFEu;
    const struct {
        const char* name;
        Blend blend;
        float alpha, sx, sy, x, y;
    } cases[] = {
        {"alpha mode, full alpha, on whole pixels", Blend::Alpha, 1, 1, 1, 20, 15},
        {"alpha mode, full alpha, clipped at the corner", Blend::Alpha, 1, 1, 1, 3, 2},
        {"alpha mode, half alpha blends", Blend::Alpha, 0.5f, 1, 1, 20, 15},
        {"mask mode, passing alpha", Blend::Mask, 0.6f, 1, 1, 20, 15},
        {"shot-shaped bar", Blend::Alpha, 1, 1, 0.2f, 20, 15.5f},
        {"upright bar clipped at the bottom", Blend::Alpha, 1, 0.2f, 1, 20, 26},
        {"mirrored", Blend::Alpha, 1, -1, 1, 20, 15},
        {"doubled, quarter pixel off", Blend::Mask, 1, 2, 2, 20.25f, 15},
        {"half alpha bar blends", Blend::Alpha, 0.5f, 1, 0.2f, 20, 15},
    };
    for (const auto& c : cases) {
        Canvas background(40, 30);
        for (int y = 0; y < 30; ++y)
            background.setColor(8 * y, 255 - 8 * y, 90), background.fillRect(0, y, 40, 1);
        Canvas fast = background, general = background;
        for (Canvas* canvas : {&fast, &general}) {
            canvas->setColor(100, 100, 100);
            canvas->setBlend(c.blend);
            canvas->setAlpha(c.alpha);
            canvas->setScale(c.sx, c.sy);
        }
        fast.drawImage(solid, c.x, c.y);
        general.drawImage(nearlySolid, c.x, c.y);
        EXPECT_FALSE(sameBuffers(fast, background)) << c.name << ": nothing was drawn";
        EXPECT_TRUE(sameBuffers(fast, general)) << c.name;
    }

    // Deciding on the fill looks at every pixel: a different last pixel still shows.
    Image oddLast = solid;
    oddLast.pixels.back() = rgb(255, 0, 0);
    for (const float scale : {1.0f, 2.0f}) {
        Canvas canvas(32, 32);
        canvas.setBlend(Blend::Alpha);
        canvas.setScale(scale, scale);
        canvas.drawImage(oddLast, 8 * scale, 8 * scale);
        const int last = int(16 * scale) - 1;
        EXPECT_EQ(canvas.at(last, last), rgb(255, 0, 0)) << "scale " << scale;
        EXPECT_EQ(canvas.at(last - int(scale), last), rgb(255, 255, 255)) << "scale " << scale;
    }
}

TEST(CanvasImage, TintAndPixelAlphaCombineWithTheState) {
    const struct {
        const char* name;
        Pixel source;
        int tintR, tintG, tintB;
        Blend blend;
        float alpha;
        Pixel want;
    } cases[] = {
        {"white takes the tint exactly", 0xFFFFFFFFu, 100, 100, 100, Blend::Mask, 1, rgb(100, 100, 100)},
        {"tint rounds to nearest", 0xFFC880FFu, 200, 200, 200, Blend::Mask, 1, rgb(157, 100, 200)},
        {"each channel has its own tint", 0xFFC8C8C8u, 255, 128, 0, Blend::Mask, 1, rgb(200, 100, 0)},
        {"pixel alpha 128 passes the mask", 0x80FFFFFFu, 255, 255, 255, Blend::Mask, 1, rgb(255, 255, 255)},
        {"pixel alpha 127 fails the mask", 0x7FFFFFFFu, 255, 255, 255, Blend::Mask, 1, black},
        {"global alpha fails the mask", 0xFFFFFFFFu, 255, 255, 255, Blend::Mask, 0.4f, black},
        {"global alpha half passes the mask", 0xFFFFFFFFu, 255, 255, 255, Blend::Mask, 0.5f,
         rgb(255, 255, 255)},
        {"global alpha blends", 0xFFFFFFFFu, 255, 255, 255, Blend::Alpha, 0.5f, rgb(128, 128, 128)},
        {"pixel alpha blends", 0x66FFFFFFu, 255, 255, 255, Blend::Alpha, 1, rgb(102, 102, 102)},
        {"transparent pixel keeps the buffer", 0x00FFFFFFu, 255, 255, 255, Blend::Alpha, 1, black},
    };
    for (const auto& c : cases) {
        Canvas canvas(4, 4);
        canvas.setColor(c.tintR, c.tintG, c.tintB);
        canvas.setBlend(c.blend);
        canvas.setAlpha(c.alpha);
        canvas.drawImage(filledImage(2, 2, c.source), 2, 2);
        EXPECT_EQ(canvas.at(1, 1), c.want) << c.name;
    }
}

TEST(CanvasImage, MadeTransparentAndCopiedOpaqueWithBlackOutside) {
    Canvas canvas(20, 12);
    EXPECT_EQ(canvas.makeImage(16, 16).handleX, 0.0f);
    canvas.setAutoMidHandle(true);
    const Image odd = canvas.makeImage(5, 3);
    EXPECT_EQ(odd.handleX, 2.5f);
    EXPECT_EQ(odd.handleY, 1.5f);
    Image image = canvas.makeImage(16, 16);
    EXPECT_EQ(image.handleX, 8.0f);
    EXPECT_EQ(image.handleY, 8.0f);
    ASSERT_EQ(image.pixels.size(), 256u);
    EXPECT_TRUE(std::all_of(image.pixels.begin(), image.pixels.end(), [](Pixel p) { return p == 0; }));

    canvas.setColor(10, 20, 30);
    canvas.fillRect(0, 0, 20, 12);
    canvas.setColor(1, 2, 3);
    canvas.fillRect(0, 0, 1, 1);
    canvas.copyToImage(image, -2, -1);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const bool inside = x >= 2 && y >= 1 && x < 22 && y < 13;
            EXPECT_EQ(image.at(x, y), inside ? canvas.at(x - 2, y - 1) : black) << x << "," << y;
        }
    }
    EXPECT_EQ(image.at(2, 1), rgb(1, 2, 3));

    // What was copied draws back, untinted, to the same place unchanged.
    Canvas copy = canvas;
    canvas.clear();
    canvas.setColor(255, 255, 255);
    canvas.drawImage(image, 6, 7);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 20; ++x)
            EXPECT_EQ(canvas.at(x, y), x < 14 ? copy.at(x, y) : black) << x << "," << y;

    for (const Point& outside : {Point{25, 0}, Point{INT_MAX - 3, INT_MIN}}) {
        canvas.copyToImage(image, outside.first, outside.second);
        EXPECT_TRUE(std::all_of(image.pixels.begin(), image.pixels.end(), [](Pixel p) { return p == black; }))
            << "copied from " << outside.first << "," << outside.second;
    }
}

}  // namespace
}  // namespace platform
