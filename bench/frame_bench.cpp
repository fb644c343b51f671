// frame_bench.cpp -- what a frame and its presenting cost, measured against one plain fill of the buffer
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <stdexcept>
#include <utility>
#include <vector>

#include "allocation_count.h"
#include "bench_game.h"
#include "platform/canvas.h"
#include "platform/sdl_system.h"
#include "shell/frame.h"

namespace {

using platform::Pixel;

// Seconds this thread has spent on the processor. Every benchmark here is timed with it rather
// than the wall clock: other programs on a shared machine can delay a frame but not make it cost
// more of this, while memory stalls still count, as they do in a real frame.
double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Per-iteration times of one benchmark run. On a machine shared with other programs the median is
// the steadier figure: a neighbour's burst of memory traffic drags out a few iterations and moves
// the mean, while the fastest iteration can catch the processor at an unusual clock speed.
struct Times {
    std::vector<double> all;
    double total = 0;
    void add(double t) { all.push_back(t), total += t; }
    double mean() const { return all.empty() ? 0 : total / double(all.size()); }
    double median() {
        if (all.empty()) return 0;
        std::nth_element(all.begin(), all.begin() + std::ptrdiff_t(all.size() / 2), all.end());
        return all[all.size() / 2];
    }
};

// The floor for each size, left by the floor benchmark for the others to divide by.
std::map<std::pair<int, int>, Times>& floors() {
    static std::map<std::pair<int, int>, Times> bySize;
    return bySize;
}

// One fill of a back-buffer-sized block of pixels: the least any frame must spend touching memory.
double timeFill(std::vector<Pixel>& pixels, Pixel colour) {
    const double start = cpuSeconds();
    std::fill(pixels.begin(), pixels.end(), colour);
    benchmark::ClobberMemory();
    return cpuSeconds() - start;
}

// The floor for a size: what the floor benchmark measured, or a quick measure of our own when the
// run was filtered down to the other benchmarks.
Times& floorTimes(int w, int h) {
    const auto key = std::make_pair(w, h);
    if (auto it = floors().find(key); it != floors().end()) return it->second;
    std::vector<Pixel> pixels(std::size_t(w) * std::size_t(h), 1);
    Times times;
    while (times.total < 0.2 || times.all.size() < 20)
        times.add(timeFill(pixels, platform::rgb(int(times.all.size()), 0, 0)));
    return floors()[key] = times;
}

// x_floor: the median iteration over the floor's median; mean_x_floor: mean over mean.
void reportAgainstFloor(benchmark::State& state, Times& times) {
    const int w = int(state.range(0)), h = int(state.range(1));
    Times& floor = floorTimes(w, h);
    state.counters["median_us"] = times.median() * 1e6;
    state.counters["x_floor"] = times.median() / floor.median();
    state.counters["mean_x_floor"] = times.mean() / floor.mean();
}

// (a) The floor.
void Floor(benchmark::State& state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    std::vector<Pixel> pixels(std::size_t(w) * std::size_t(h));
    std::fill(pixels.begin(), pixels.end(), platform::rgb(1, 2, 3));  // pages in before timing
    Times times;
    Pixel colour = 0;
    for (auto _ : state) {
        const double t = timeFill(pixels, platform::rgb(0, 0, int(++colour)));
        state.SetIterationTime(t);
        times.add(t);
    }
    floors()[{w, h}] = times;
    reportAgainstFloor(state, times);
}

// The game's own clear, for comparison with the floor: the same fill, with wider stores where the
// processor has them.
void Clear(benchmark::State& state) {
    platform::Canvas canvas(int(state.range(0)), int(state.range(1)));
    Times times;
    for (auto _ : state) {
        const double t0 = cpuSeconds();
        canvas.clear();
        benchmark::ClobberMemory();
        const double t = cpuSeconds() - t0;
        state.SetIterationTime(t);
        times.add(t);
    }
    reportAgainstFloor(state, times);
}

// Per size, the steady fast frame's median over the floor's and its allocations, for the goals.
struct FrameFigures {
    double xFloor = 0;
    double allocations = 0;
};
std::map<std::pair<int, int>, FrameFigures>& frameFigures() {
    static std::map<std::pair<int, int>, FrameFigures> bySize;
    return bySize;
}

// (b) A whole frame of a running game: a fresh arena, both fighters, 20 shots in flight. The shots
// are put back outside the timed part and none of them strikes anything, so every frame is the same.
// A few frames are played before timing: the first draws everything, as the game's first frame
// does, and the lists of changed rectangles take the room they keep from then on.
void timeFrames(benchmark::State& state, void (*run)(shell::Game&)) {
    const int w = int(state.range(0)), h = int(state.range(1));
    bench::QuietSystem sys;
    shell::Game game(sys);
    bench::setUpGame(game, w, h);
    const auto shots = bench::shotsInFlight(game, 20);
    if (shots.size() != 20) {
        state.SkipWithError("the arena has no room for 20 shots");
        return;
    }
    game.bulletList.reserve(shots.size());
    for (int warmUp = 0; warmUp < 4; ++warmUp) {
        game.bulletList.assign(shots.begin(), shots.end());
        run(game);
    }

    Times times;
    std::uint64_t frameAllocations = 0;
    for (auto _ : state) {
        game.bulletList.assign(shots.begin(), shots.end());
        sys.clock += 17;
        const std::uint64_t before = bench::allocationsSoFar();
        const double t0 = cpuSeconds();
        run(game);
        benchmark::ClobberMemory();
        const double t = cpuSeconds() - t0;
        frameAllocations += bench::allocationsSoFar() - before;
        state.SetIterationTime(t);
        times.add(t);
        if (game.bulletList.size() != shots.size()) {
            state.SkipWithError("a shot was spent: the frame is not the steady one");
            return;
        }
    }
    reportAgainstFloor(state, times);
    state.counters["allocs_per_frame"] = double(frameAllocations) / double(state.iterations());
    if (run == shell::runFrame)
        frameFigures()[{w, h}] = {state.counters["x_floor"], state.counters["allocs_per_frame"]};
}

// The frame the game runs, redrawing only what changed.
void Frame(benchmark::State& state) { timeFrames(state, shell::runFrame); }
// The same frame drawn in full: clear, every cell, fighters, shots. The reference, for comparison.
void FullFrame(benchmark::State& state) { timeFrames(state, shell::runFullFrame); }

// The first finished frame of a running game at this size, to present.
platform::Canvas finishedFrame(int w, int h) {
    bench::QuietSystem sys;
    shell::Game game(sys);
    bench::setUpGame(game, w, h);
    shell::runFrame(game);
    return game.canvas;
}

// The SDL video driver is the benchmark's own choice unless the caller named one.
void useHeadlessVideo() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
}

// (c) Presenting in a window, through the real backend.
void PresentWindow(benchmark::State& state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    const platform::Canvas canvas = finishedFrame(w, h);
    useHeadlessVideo();
    platform::SdlSystem sys;
    if (const std::string problem = sys.openDisplay(w, h, false); !problem.empty()) {
        state.SkipWithError(problem.c_str());
        return;
    }
    if (sys.displayWidth() != w || sys.displayHeight() != h) {
        state.SkipWithError("the window is not the size asked for");
        return;
    }
    const platform::Rect whole{0, 0, w, h};
    sys.present(canvas, {&whole, 1});  // the first present may set things up
    Times times;
    std::uint64_t presentAllocations = 0;
    for (auto _ : state) {
        const std::uint64_t before = bench::allocationsSoFar();
        const double t0 = cpuSeconds();
        sys.present(canvas, {&whole, 1});
        const double t = cpuSeconds() - t0;
        presentAllocations += bench::allocationsSoFar() - before;
        state.SetIterationTime(t);
        times.add(t);
    }
    reportAgainstFloor(state, times);
    state.counters["allocs_per_frame"] = double(presentAllocations) / double(state.iterations());
    state.SetLabel(SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "?");
    sys.closeDisplay();
}

// The full-screen way of presenting, the same calls on a streaming texture, for comparison: the
// driver here has no retrace, so this is the copying alone.
void PresentTexture(benchmark::State& state) {
    const int w = int(state.range(0)), h = int(state.range(1));
    const platform::Canvas canvas = finishedFrame(w, h);
    useHeadlessVideo();
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    SDL_Window* window = SDL_CreateWindow("", 0, 0, w, h, SDL_WINDOW_HIDDEN);
    SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE) : nullptr;
    SDL_Texture* texture =
        renderer ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, w, h)
                 : nullptr;
    if (!texture) {
        state.SkipWithError(SDL_GetError());
    } else {
        Times times;
        for (auto _ : state) {
            const double t0 = cpuSeconds();
            SDL_UpdateTexture(texture, nullptr, canvas.data(), w * 4);
            SDL_RenderCopy(renderer, texture, nullptr, nullptr);
            SDL_RenderPresent(renderer);
            const double t = cpuSeconds() - t0;
            state.SetIterationTime(t);
            times.add(t);
        }
        reportAgainstFloor(state, times);
    }
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    SDL_Quit();
}

void sizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"w", "h"})->Args({800, 600})->Args({1920, 1080})->Args({3840, 2160});
    b->UseManualTime()->Unit(benchmark::kMicrosecond);
}

}  // namespace

BENCHMARK(Floor)->Apply(sizes);
BENCHMARK(Clear)->Apply(sizes);
BENCHMARK(Frame)->Apply(sizes);
BENCHMARK(FullFrame)->Apply(sizes);
BENCHMARK(PresentWindow)->Apply(sizes);
BENCHMARK(PresentTexture)->Apply(sizes);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const auto& [size, f] : frameFigures()) {
        if (size.first < 1920) continue;  // the goals are set for the large displays
        std::printf(
            "goal: steady frame at %dx%d <= 0.5x one buffer fill: %.3fx (%s); %.3g allocations per frame "
            "(goal 0: %s)\n",
            size.first, size.second, f.xFloor, f.xFloor <= 0.5 ? "met" : "NOT MET", f.allocations,
            f.allocations == 0 ? "met" : "NOT MET");
    }
    return 0;
}
