// fast_frame_test.cpp -- the frame that redraws only what changed, held pixel for pixel to the full one
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <random>
#include <sstream>
#include <string>

#include "platform/input.h"
#include "shell/frame.h"
#include "support/test_game.h"

namespace {

using testing_support::TestGame;
namespace vk = platform::vk;

// Two games of the same size and seed, given the same input: one runs the fast frame, the other
// the full one, and both are presented. After every frame they must agree on every pixel, the
// drawing state, the game state and what was printed; and the fast game's display, which copies
// only the rectangles it is told changed, must show its back buffer.
class Twin {
public:
    Twin(int width, int height, std::uint64_t seed) : fast_(width, height, seed), full_(width, height, seed) {
        fast_.sys.keepScreen = true;
    }

    void clearInside() {
        fast_.clearInside();
        full_.clearInside();
    }
    void key(int k, bool down) {
        fast_.game.input.keyEvent(k, down, false);
        full_.game.input.keyEvent(k, down, false);
    }
    void click(int x, int y) {
        for (auto* g : {&fast_.game, &full_.game}) {
            g->input.pointerMoved(x, y);
            g->input.buttonEvent(platform::mouseLeft, true);
            g->input.buttonEvent(platform::mouseLeft, false);
        }
    }

    // Plays one frame on both; what differs, or an empty string.
    std::string step() {
        shell::runFrame(fast_.game);
        shell::runFullFrame(full_.game);
        shell::presentFrame(fast_.game);
        shell::presentFrame(full_.game);
        ++frame_;
        return difference();
    }

    const shell::Game& game() const { return fast_.game; }
    int frame() const { return frame_; }
    const std::vector<platform::Rect>& shown() const { return fast_.sys.lastChanged; }

private:
    static std::string firstPixelApart(const platform::Canvas& a, const platform::Canvas& b) {
        if (a.width() != b.width() || a.height() != b.height()) return "sizes differ";
        const std::size_t n = std::size_t(a.width()) * std::size_t(a.height());
        if (std::equal(a.data(), a.data() + n, b.data())) return {};
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                if (a.at(x, y) != b.at(x, y)) {
                    std::ostringstream out;
                    out << std::hex << "pixel " << std::dec << x << "," << y << ": " << std::hex << a.at(x, y)
                        << " against " << b.at(x, y);
                    return out.str();
                }
        return {};
    }

    std::string difference() const {
        const auto& f = fast_.game;
        const auto& g = full_.game;
        if (auto p = firstPixelApart(f.canvas, g.canvas); !p.empty()) return "back buffers differ at " + p;
        if (auto p = firstPixelApart(fast_.sys.screen, f.canvas); !p.empty())
            return "the display missed " + p;
        const auto& a = f.canvas;
        const auto& b = g.canvas;
        if (a.red() != b.red() || a.green() != b.green() || a.blue() != b.blue() || a.alpha() != b.alpha() ||
            a.blend() != b.blend() || a.scaleX() != b.scaleX() || a.scaleY() != b.scaleY() ||
            a.rotation() != b.rotation())
            return "drawing state differs";
        if (f.grid != g.grid) return "grids differ";
        if (f.p1x != g.p1x || f.p1y != g.p1y || f.p2x != g.p2x || f.p2y != g.p2y ||
            f.p1health != g.p1health || f.p2health != g.p2health || f.p1shot != g.p1shot ||
            f.p2shot != g.p2shot || f.winner != g.winner)
            return "fighters differ";
        if (f.bulletList.size() != g.bulletList.size()) return "shot counts differ";
        if (fast_.sys.out != full_.sys.out) return "transcripts differ";
        return {};
    }

    TestGame fast_;
    TestGame full_;
    int frame_ = 0;
};

// What the hands do before frame `frame` of a duel.
using Hands = std::function<void(Twin&, int frame, std::mt19937_64& rng)>;

// Both walk into the walls around their start, then hold streams of fire while stepping up and
// down; then a burst of clicks on the border ring, its corners, just outside and far outside.
void wallsFireAndClicks(Twin& t, int frame, std::mt19937_64&) {
    const int w = t.game().canvas.width(), h = t.game().canvas.height();
    if (frame == 0) t.key(vk::left, true), t.key('H', true);
    if (frame == 50) t.key(vk::left, false), t.key('H', false), t.key(vk::up, true), t.key('G', true);
    if (frame == 90) t.key('J', true), t.key('D', true), t.key('W', true);
    for (int turn = 90; turn < 300; turn += 30) {
        if (frame == turn) t.key(vk::up, false), t.key(vk::down, true), t.key('G', false), t.key('T', true);
        if (frame == turn + 15)
            t.key(vk::down, false), t.key(vk::up, true), t.key('T', false), t.key('G', true);
    }
    const int spots[][2] = {{0, 0},        {w - 1, h - 1},     {w - 1, 0},    {0, h - 1},
                            {w / 2, 0},    {w / 2, h - 1},     {0, h / 2},    {w - 1, h / 2},
                            {-5, h / 3},   {w + 20, h + 20},   {17, 17},      {w - 18, 17},
                            {-1000000, 5}, {INT_MIN, INT_MAX}, {w / 3, h / 3}};
    if (frame >= 150 && frame < 150 + 4 * int(std::size(spots)) && frame % 4 == 0) {
        const auto& s = spots[(frame - 150) / 4];
        t.click(s[0], s[1]);
    }
    if (frame == 320)
        t.key('J', false), t.key('D', false), t.key('W', false), t.key(vk::up, false), t.key('G', false);
}

// On an open arena, red shoots first and cyan falls behind; red stops and cyan shoots back until
// red is out; then cyan walks about firing while red's last shots are still in flight.
void defeatAndComeback(Twin& t, int frame, std::mt19937_64&) {
    if (frame == 0) t.clearInside();
    if (frame == 10) t.key('J', true);
    if (frame == 80) t.key('D', true);
    if (frame == 85) t.key('J', false);
    if (frame == 400) t.key('D', false), t.key('T', true), t.key('A', true);
    if (frame == 440) t.key('T', false), t.key('F', true), t.key('A', false), t.key('S', true);
    if (frame == 470) t.key('F', false), t.key('S', false);
}

// Seeded random holds on all sixteen keys, and a click now and then anywhere near the display.
void randomHands(Twin& t, int frame, std::mt19937_64& rng) {
    static constexpr int keys[] = {vk::left, vk::right, vk::up, vk::down, 'F', 'H', 'T', 'G',
                                   'J',      'I',       'L',    'K',      'A', 'W', 'D', 'S'};
    const auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    if (frame % 5 == 0)
        for (int k : keys)
            if (pick(0, 3) == 0) t.key(k, pick(0, 1) == 1);
    if (pick(0, 24) == 0) {
        const int w = t.game().canvas.width(), h = t.game().canvas.height();
        t.click(pick(-40, w + 40), pick(-40, h + 40));
    }
}

struct Duel {
    const char* name;
    Hands hands;
    int frames;
    bool endsInDefeat;  // on displays wide enough for the shots to fly
};

const Duel duels[] = {
    {"walls, fire and clicks", wallsFireAndClicks, 400, false},
    {"defeat and comeback", defeatAndComeback, 560, true},
    {"random hands", randomHands, 1500, false},
};

struct Size {
    int width, height;
};
const Size sizes[] = {{800, 600}, {801, 601}, {333, 257}, {17, 40}, {1, 1}};

TEST(FastFrame, EveryFrameOfLongDuelsMatchesTheFullFrameByteForByte) {
    for (const Duel& duel : duels) {
        for (const Size& size : sizes) {
            SCOPED_TRACE(std::string(duel.name) + " on " + std::to_string(size.width) + "x" +
                         std::to_string(size.height));
            Twin twin(size.width, size.height, 20240 + std::uint64_t(size.width));
            std::mt19937_64 rng(size.height);
            int defeatedAt = -1;
            for (int frame = 0; frame < duel.frames; ++frame) {
                duel.hands(twin, frame, rng);
                const std::string problem = twin.step();
                ASSERT_EQ(problem, "") << "frame " << frame;
                if (defeatedAt < 0 && twin.game().winner != 0) defeatedAt = frame;
            }
            // The open-arena duel must really end in a defeat, with frames after the loser's last.
            if (duel.endsInDefeat && size.width >= 333) {
                EXPECT_EQ(twin.game().winner, 2);
                EXPECT_GT(defeatedAt, 0);
                EXPECT_LT(defeatedAt, duel.frames - 60);
            }
        }
    }
}

// The point of the fast frame: with nothing held, a frame puts back and shows the two fighters and
// their health, not the arena.
TEST(FastFrame, AnIdleFrameShowsOnlyTheFighters) {
    Twin twin(800, 600, 5);
    ASSERT_EQ(twin.step(), "");
    ASSERT_EQ(twin.shown().size(), 1u);
    EXPECT_EQ(twin.shown()[0], (platform::Rect{0, 0, 800, 600})) << "the first frame is shown whole";
    ASSERT_EQ(twin.step(), "");
    std::int64_t area = 0;
    for (const auto& r : twin.shown()) area += std::int64_t(r.width) * r.height;
    EXPECT_EQ(twin.shown().size(), 2u);
    EXPECT_LE(area, 2 * 40 * 50) << "a fighter with its health fits in 40x50 pixels";
}

}  // namespace
