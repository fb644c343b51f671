// soak.cpp -- many seeded games across display sizes, every frame checked, memory watched
//
// Usage: soak FRAMES [SEED]. Plays FRAMES frames in all, split into games on displays from 1x1
// to 1920x1080, and fails on the first frame that breaks a rule, naming the seed, the size and
// the frame. Each game has a twin that draws every frame in full, and the two must agree pixel for
// pixel. The peak resident memory at a tenth of the run must hold to the end.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "soak/soak_game.h"

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer keeps freed blocks in a quarantine to catch late use. Its default 256 MB
// fills slowly over a run and reads as growth of the peak; 8 MB is full within the first
// games, so later growth is the game's own.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=8"; }
#endif

namespace {

struct Display {
    int width, height;
    int weight;  // share of the frames: big displays are slow under the sanitizers
};

// Tiny displays where the grid has no inner cells or the fighters stand outside it, odd
// strips, and the usual screens. Weights are percentages of the frames.
constexpr Display displays[] = {
    {1, 1, 5},      {16, 16, 5},    {33, 33, 5},    {97, 31, 5},    {9, 500, 5},     {700, 20, 5},
    {320, 240, 27}, {513, 385, 18}, {800, 600, 15}, {1280, 720, 7}, {1920, 1080, 3},
};
constexpr int warmUpFrames = 30;  // one game per display before the early memory reading
constexpr int rounds = 20;

struct Tally {
    int games = 0;
    long frames = 0;
    double seconds = 0;
    long shots = 0, clicks = 0, steps = 0;
    int decided = 0;
    int peakShots = 0, bound = 0;
};

std::uint64_t splitmix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Peak resident set size of this process so far, in kB.
long peakRssKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// Most games start on an ordinary clock; some just before 2^31 or 2^32 so it wraps mid-game.
std::uint32_t clockStart(std::mt19937_64& rng, int frames) {
    const auto before = std::uniform_int_distribution<std::uint32_t>(0, std::uint32_t(frames) * 16)(rng);
    switch (std::uniform_int_distribution<int>(0, 4)(rng)) {
        case 0: return 0x80000000u - before;
        case 1: return 0u - before;
        default: return std::uniform_int_distribution<std::uint32_t>(0, 2'000'000'000u)(rng);
    }
}

// Plays the games one after another, checking each frame, and keeps the figures per display.
class Soak {
public:
    Soak(long total, std::uint64_t seed)
        : total_(total), seed_(seed), rng_(seed), tally_(std::size(displays)) {}

    // One game of up to the given number of frames on display d; false on the first broken rule.
    bool play(std::size_t d, int frames) {
        frames = int(std::min<long>(frames, total_ - played_));
        if (frames <= 0) return true;
        soak::GamePlan plan{displays[d].width, displays[d].height, splitmix(seed_ ^ ++games_), 0, frames};
        plan.clockStart = clockStart(rng_, frames);
        plan.hunt = rng_() % 2 == 0;
        const auto t0 = std::chrono::steady_clock::now();
        soak::SoakGame game(plan);
        for (int f = 0; f < frames; ++f) {
            if (auto problem = game.step()) {
                std::fprintf(
                    stderr,
                    "soak: FAILED seed %llu (run seed %llu, game %llu) on %dx%d, clock from %u, frame %d "
                    "of the game (%ld of the run): %s\n",
                    (unsigned long long)plan.seed, (unsigned long long)seed_, (unsigned long long)games_,
                    plan.width, plan.height, plan.clockStart, f, played_, problem->c_str());
                return false;
            }
            if (++played_ == total_ / 10) {
                rssEarly_ = peakRssKb();
                std::printf("peak RSS after %ld frames: %ld kB\n", played_, rssEarly_);
            }
        }
        auto& t = tally_[d];
        ++t.games;
        t.frames += frames;
        t.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        t.shots += game.shotsFired();
        t.clicks += game.clicks();
        t.steps += game.stepsWalked();
        t.decided += game.winner() != 0;
        t.peakShots = std::max(t.peakShots, game.peakShots());
        t.bound = std::max(t.bound, game.shotBound());
        return true;
    }

    // Splits a display's share of a round into games of random length.
    bool playShare(std::size_t d, long share) {
        while (share > 0 && played_ < total_) {
            const int longest = int(std::min<long>(share, 3000));
            const int frames = std::uniform_int_distribution<int>(std::min(longest, 300), longest)(rng_);
            if (!play(d, frames)) return false;
            share -= frames;
        }
        return true;
    }

    // The figures per display; false if any display got no real play.
    bool report() const {
        std::printf("%-10s %6s %9s %8s %9s %8s %10s %8s %11s\n", "display", "games", "frames", "seconds",
                    "shots", "clicks", "steps", "decided", "peak/bound");
        bool ok = true;
        for (std::size_t d = 0; d < std::size(displays); ++d) {
            const auto& t = tally_[d];
            const std::string size =
                std::to_string(displays[d].width) + "x" + std::to_string(displays[d].height);
            std::printf("%-10s %6d %9ld %8.1f %9ld %8ld %10ld %8d %6d/%-4d\n", size.c_str(), t.games,
                        t.frames, t.seconds, t.shots, t.clicks, t.steps, t.decided, t.peakShots, t.bound);
            // A display that saw no shots or clicks would pass every check without proving anything.
            if (t.shots == 0 || t.clicks == 0) {
                std::fprintf(stderr, "soak: FAILED: %s saw no real play\n", size.c_str());
                ok = false;
            }
        }
        return ok;
    }

    long played() const { return played_; }
    long rssEarly() const { return rssEarly_; }

private:
    long total_;
    std::uint64_t seed_;
    std::mt19937_64 rng_;
    std::vector<Tally> tally_;
    long played_ = 0;
    long rssEarly_ = -1;
    std::uint64_t games_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: soak FRAMES [SEED]\n");
        return 2;
    }
    const long total = std::strtol(argv[1], nullptr, 10);
    const std::uint64_t seed = argc == 3 ? std::strtoull(argv[2], nullptr, 10) : 1;
    if (total < 10L * warmUpFrames * long(std::size(displays))) {
        std::fprintf(stderr, "soak: too few frames to play every display before the early memory reading\n");
        return 2;
    }
    int weights = 0;
    for (const auto& d : displays) weights += d.weight;

    Soak soak(total, seed);
    const auto started = std::chrono::steady_clock::now();
    // Every display once, briefly, so the largest back buffer exists before the early reading.
    for (std::size_t d = 0; d < std::size(displays); ++d)
        if (!soak.play(d, warmUpFrames)) return 1;
    const long roundFrames = (total - soak.played()) / rounds + 1;
    while (soak.played() < total)
        for (std::size_t d = 0; d < std::size(displays); ++d)
            if (!soak.playShare(d, std::max<long>(roundFrames * displays[d].weight / weights, 1))) return 1;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    if (!soak.report()) return 1;
    const long rssEarly = soak.rssEarly();
    const long rssEnd = peakRssKb();
    std::printf("peak RSS after %ld frames: %ld kB\n", soak.played(), rssEnd);
    std::printf("soaked %ld frames in %.1f s, seed %llu\n", soak.played(), seconds, (unsigned long long)seed);
    // Allocator noise stays well inside this; over the 9/10 of a long run after the early
    // reading, growth of more than about ten bytes a frame does not.
    const long marginKb = 8L * 1024;
    if (rssEarly < 0 || rssEnd < 0 || rssEnd - rssEarly > marginKb) {
        std::fprintf(stderr, "soak: FAILED: peak RSS grew from %ld kB to %ld kB (more than %ld kB)\n",
                     rssEarly, rssEnd, marginKb);
        return 1;
    }
    return 0;
}
