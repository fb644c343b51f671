// pacing.cpp -- a running game in a window or full screen: when each frame reached the screen, at what CPU
//   pacing [width height [frames]] [--control] [--full-screen[=renderer|surface]]
// Needs DISPLAY (bench/pacing.sh and bench/full_screen.sh start private X servers). --control first
// times bare sleeps for as many frames, to show what the machine itself adds. --full-screen opens
// the full screen the way the game chooses, or forces one of the two ways it can be shown.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "allocation_count.h"
#include "bench_game.h"
#include "platform/canvas.h"
#include "platform/input.h"
#include "platform/sdl_system.h"
#include "shell/frame.h"
#include "shell/game.h"
#include "shell/startup.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Where frame k falls in the 60 Hz schedule the game keeps, in milliseconds after the start: the
// 16, 17, 17 pattern is these times rounded down.
double scheduledMs(int k) { return std::floor(k * 1000.0 / 60.0); }

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const std::size_t i = std::min(values.size() - 1, std::size_t(p * double(values.size() - 1) + 0.5));
    return values[i];
}

// The real backend with a stopwatch on presenting: how long each present() took, so a late
// frame can be told apart from a slow hand-over to the display.
class TimedPresent final : public platform::System {
public:
    explicit TimedPresent(platform::System& real) : real_(real) {}
    void prompt(std::string_view text) override { real_.prompt(text); }
    std::optional<std::string> readLine() override { return real_.readLine(); }
    void writeLine(std::string_view text) override { real_.writeLine(text); }
    void writeError(std::string_view text) override { real_.writeError(text); }
    std::uint32_t nowMs() override { return real_.nowMs(); }
    void sleepMs(std::uint32_t ms) override { real_.sleepMs(ms); }
    std::string openDisplay(int w, int h, bool full) override { return real_.openDisplay(w, h, full); }
    int displayWidth() const override { return real_.displayWidth(); }
    int displayHeight() const override { return real_.displayHeight(); }
    bool presentWaitsForRetrace() override { return real_.presentWaitsForRetrace(); }
    void present(const platform::Canvas& canvas, std::span<const platform::Rect> changed) override {
        const auto from = Clock::now();
        real_.present(canvas, changed);
        presentMs.push_back(ms(Clock::now() - from));
    }
    void movePointer(int x, int y) override { real_.movePointer(x, y); }
    void closeDisplay() override { real_.closeDisplay(); }
    void pumpEvents(platform::Input& input) override { real_.pumpEvents(input); }
    int stopSignal() override { return real_.stopSignal(); }

    std::vector<double> presentMs;

private:
    platform::System& real_;
};

// The machine's own share of the jitter: a thread that does nothing but sleep until each 60 Hz
// deadline (to the nanosecond, not the game's millisecond) and notes how late it woke.
void wakeUpControl(int frames) {
    std::vector<double> late;
    const auto start = Clock::now();
    for (int k = 1; k <= frames; ++k) {
        const auto deadline = start + std::chrono::microseconds(k * 1000000LL / 60);
        std::this_thread::sleep_until(deadline);
        late.push_back(ms(Clock::now() - deadline));
    }
    std::printf(
        "control: bare sleeps to a 60 Hz schedule, %d of them: woke late by p50 %.3f  p99 %.3f  max %.3f ms\n",
        frames, percentile(late, 0.5), percentile(late, 0.99), *std::max_element(late.begin(), late.end()));
}

// User plus system CPU time, in seconds: of this process, or of another one by its id.
double cpuSeconds() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
           double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

double cpuSeconds(const char* pid) {
    std::ifstream in(std::string("/proc/") + pid + "/stat");
    std::string line;
    std::getline(in, line);
    if (line.empty()) return 0;
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string skip;
    for (int field = 3; field < 14; ++field) fields >> skip;
    unsigned long long user = 0, system = 0;
    fields >> user >> system;
    return double(user + system) / double(sysconf(_SC_CLK_TCK));
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> numbers;
    bool control = false, fullScreen = false;
    auto path = platform::FullScreenPath::chosen;
    const char* pathName = "as the game chooses";
    for (int n = 1; n < argc; ++n) {
        const std::string arg = argv[n];
        if (arg == "--control") {
            control = true;
        } else if (arg.rfind("--full-screen", 0) == 0) {
            fullScreen = true;
            if (arg == "--full-screen=renderer") {
                path = platform::FullScreenPath::renderer;
                pathName = "renderer forced";
            } else if (arg == "--full-screen=surface") {
                path = platform::FullScreenPath::windowSurface;
                pathName = "window surface forced";
            }
        } else {
            numbers.push_back(arg);
        }
    }
    const int width = numbers.size() > 1 ? std::atoi(numbers[0].c_str()) : 800;
    const int height = numbers.size() > 1 ? std::atoi(numbers[1].c_str()) : 600;
    const int frames = numbers.size() > 2 ? std::atoi(numbers[2].c_str()) : 600;
    if (frames < 2) return std::fprintf(stderr, "pacing: at least 2 frames\n"), 2;
    if (control) wakeUpControl(frames);

    platform::SdlSystem real(path);
    TimedPresent sys(real);
    shell::Game game(sys);
    game.random.seed(7);
    // The same order as start-up: display, schedule, input, set-up.
    const shell::Answers answers{width, height, fullScreen ? 1 : 0};
    if (const std::string problem = shell::openDisplay(game, answers); !problem.empty())
        return std::fprintf(stderr, "pacing: %s", problem.c_str()), 1;
    if (fullScreen) sys.movePointer(width / 2, height / 2);
    const std::uint32_t startMs = sys.nowMs();
    game.pacer.start(startMs);
    // The schedule's start on this clock: the millisecond the game read, which is the steady
    // clock's millisecond count (mod 2^32) unless a millisecond boundary fell in between.
    auto startCount =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
    if (std::uint32_t(startCount) != startMs) --startCount;
    const Clock::time_point start{std::chrono::milliseconds(startCount)};
    game.input.reset();
    {
        // Set-up prints the grid size; keep it out of the figures.
        std::fflush(stdout);
        const int saved = dup(1), null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        shell::setUp(game);
        std::fflush(stdout);
        dup2(saved, 1);
        close(null);
        close(saved);
    }

    // Shots keep flying: whenever fewer than 20 are in the air, the spent ones are fired again
    // from where the arena first had room, so every frame draws and moves about 20.
    const auto shots = bench::shotsInFlight(game, 20);
    game.bulletList.reserve(shots.size());
    std::vector<Clock::time_point> shown;
    shown.reserve(std::size_t(frames) + 1);
    sys.presentMs.reserve(std::size_t(frames));
    shown.push_back(start);
    const std::uint64_t allocationsBefore = bench::allocationsSoFar();
    const char* serverPid = std::getenv("XSERVER_PID");
    const double cpuBefore = cpuSeconds(), serverCpuBefore = serverPid ? cpuSeconds(serverPid) : 0;
    int retracePaced = 0;
    for (int k = 0; k < frames; ++k) {
        if (game.input.keyHits(platform::vk::escape) > 0 || sys.stopSignal()) break;
        for (std::size_t n = game.bulletList.size(); n < shots.size(); ++n)
            game.bulletList.push_back(shots[n]);
        shell::runFrame(game);
        if (sys.presentWaitsForRetrace()) ++retracePaced;
        shell::presentFrame(game);
        shown.push_back(Clock::now());
    }
    const double cpu = cpuSeconds() - cpuBefore;
    const double serverCpu = serverPid ? cpuSeconds(serverPid) - serverCpuBefore : 0;
    const std::uint64_t allocations = bench::allocationsSoFar() - allocationsBefore;
    sys.closeDisplay();

    std::vector<double> intervals, offBeat, offSchedule;
    for (std::size_t k = 1; k < shown.size(); ++k) {
        const double interval = ms(shown[k] - shown[k - 1]);
        intervals.push_back(interval);
        if (k >= 2) offBeat.push_back(std::fabs(interval - (scheduledMs(int(k)) - scheduledMs(int(k) - 1))));
        offSchedule.push_back(ms(shown[k] - shown[0]) - scheduledMs(int(k)));
    }
    double sum = 0;
    for (std::size_t k = 1; k < intervals.size(); ++k) sum += intervals[k];
    const double mean = sum / double(intervals.size() - 1);
    std::printf("pacing %dx%d %s, %zu frames presented by platform::SdlSystem (%s)\n", width, height,
                fullScreen ? (std::string("full screen, ") + pathName).c_str() : "window", intervals.size(),
                std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "no DISPLAY");
    const double seconds = ms(shown.back() - shown.front()) / 1000.0;
    std::printf("  frames per second    %.3f over %.1f s (60.000 wanted); %d frames paced by the retrace\n",
                double(intervals.size()) / seconds, seconds, retracePaced);
    std::printf("  CPU, game process    %.1f%% of a core\n", 100.0 * cpu / seconds);
    if (serverPid) std::printf("  CPU, X server        %.1f%% of a core\n", 100.0 * serverCpu / seconds);
    std::printf(
        "  mean interval        %.3f ms (16.667 wanted; the first, which holds the set-up, left out)\n",
        mean);
    std::printf("  interval off 16/17/17: p50 %.3f  p99 %.3f  max %.3f ms\n", percentile(offBeat, 0.5),
                percentile(offBeat, 0.99), *std::max_element(offBeat.begin(), offBeat.end()));
    std::printf("  present after its scheduled time: p50 %.3f  p99 %.3f  max %.3f ms\n",
                percentile(offSchedule, 0.5), percentile(offSchedule, 0.99),
                *std::max_element(offSchedule.begin(), offSchedule.end()));
    std::printf("  longest interval     %.3f ms\n", *std::max_element(intervals.begin(), intervals.end()));
    std::printf("  operator new calls   %llu in %zu frames (events, frame, present)\n",
                static_cast<unsigned long long>(allocations), intervals.size());
    std::printf("  time inside present(): p50 %.3f  p99 %.3f  max %.3f ms\n", percentile(sys.presentMs, 0.5),
                percentile(sys.presentMs, 0.99),
                *std::max_element(sys.presentMs.begin(), sys.presentMs.end()));
    // Other programs on the machine delay wake-ups; say how busy it was.
    std::ifstream loadavg("/proc/loadavg");
    std::string load;
    std::getline(loadavg, load);
    std::printf("  load average after   %s\n", load.c_str());
    return 0;
}
