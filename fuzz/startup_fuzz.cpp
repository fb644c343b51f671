// startup_fuzz.cpp -- arbitrary standard input through the dialogue, the size decision and a few frames
//
// Each input is what a player might type, bytes and all. It runs twice: once piece by piece
// (dialogue, size decision, opening, set-up, frames with keys and clicks taken from the input)
// and once through the whole start-up as the program runs it, stopped by a signal.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "arena/grid.h"
#include "platform/input.h"
#include "shell/frame.h"
#include "shell/game.h"
#include "shell/startup.h"
#include "support/scripted_system.h"

namespace {

using testing_support::ScriptedSystem;

constexpr std::string_view prompts[] = {
    "Graphics Width: ", "Graphics Height: ", "Graphics Mode (0 = windowed, 1 = full screen) : "};
// Accepted sizes with a bigger back buffer are checked as a decision only: the fuzzer must not
// spend its time and memory making gigabyte buffers.
constexpr std::int64_t maxBackBufferBytes = 4 << 20;
constexpr int frames = 6;
constexpr int refusingMode = 90;  // the scripted display turns this mode down
constexpr int stopSignal = 15;

constexpr int keys[16] = {platform::vk::left,
                          platform::vk::right,
                          platform::vk::up,
                          platform::vk::down,
                          'F',
                          'H',
                          'T',
                          'G',
                          'J',
                          'I',
                          'L',
                          'K',
                          'A',
                          'W',
                          'D',
                          'S'};

void require(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "startup_fuzz: broken: %s\n", what);
    std::abort();
}

// Complete lines (ended by a line feed) the dialogue can read, up to its three questions.
int completeLines(std::string_view input) {
    int n = 0;
    for (char c : input)
        if (c == '\n' && ++n == 3) break;
    return n;
}

std::string promptsSeen(int completeLines) {
    std::string out;
    for (int n = 0; n < 3 && n <= completeLines; ++n) out += prompts[n];
    return out;
}

bool sizeFits(const shell::Answers& a) {
    return a.width >= 1 && a.height >= 1 && a.width <= shell::maxDisplaySide &&
           a.height <= shell::maxDisplaySide;
}

bool smallEnough(const shell::Answers& a) {
    return std::int64_t(a.width) * std::int64_t(a.height) * 4 <= maxBackBufferBytes;
}

std::string gridLines(const shell::Answers& a) {
    return std::to_string((a.width + 15) / 16) + "\n" + std::to_string((a.height + 15) / 16) + "\n";
}

std::uint64_t fnv1a(std::string_view input) {
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : input) h = (h ^ c) * 1099511628211ull;
    return h;
}

bool gridIntact(const shell::Game& g) {
    for (std::int32_t i = 0; i < g.cols; ++i)
        for (std::int32_t j = 0; j < g.rows; ++j) {
            const std::int32_t v = g.cell(i, j);
            const bool border = i == 0 || j == 0 || i == g.cols - 1 || j == g.rows - 1;
            if (v != arena::solidCell && (border || v != 0)) return false;
        }
    return true;
}

// The first half of the run: the start-up pieces one by one, then frames driven by the input.
// Returns the answers when they were all read.
std::optional<shell::Answers> piecewise(const std::string& input) {
    ScriptedSystem sys(input);
    shell::Game game(sys);
    game.random.seed(fnv1a(input));

    const auto answers = shell::askAnswers(sys);
    const int lines = completeLines(input);
    require(sys.out == promptsSeen(lines), "the transcript is the prompts seen so far");
    require(answers.has_value() == (lines == 3), "answers exactly when three lines were read");
    if (!answers) return answers;

    const std::string problem = shell::displaySizeProblem(answers->width, answers->height);
    require(problem.empty() == sizeFits(*answers),
            "sizes from 1 to the largest side are accepted, no others");
    if (problem.empty() && !smallEnough(*answers)) return answers;

    if (answers->mode == refusingMode) sys.openProblem = "no such mode";
    const std::string message = shell::openDisplay(game, *answers);
    require(sys.opens == (problem.empty() ? 1 : 0), "a refused size never reaches the display");
    if (!problem.empty() || answers->mode == refusingMode) {
        require(!message.empty() && message.find('\n') == message.size() - 1, "a refusal is one line");
        require(message.find(problem.empty() ? "no such mode" : problem) != std::string::npos, "it says why");
        require(!sys.isOpen && game.canvas.width() == 0, "nothing is left open after a refusal");
        require(sys.out == promptsSeen(3), "nothing is printed after a refusal");
        return answers;
    }
    require(message.empty() && sys.isOpen, "an accepted size opens");
    require(game.canvas.width() == answers->width && game.canvas.height() == answers->height,
            "the back buffer has the size asked for");
    require(sys.fullScreen == (answers->mode != 0), "any mode but 0 is the full screen");

    game.pacer.start(sys.nowMs());
    game.input.reset();
    shell::setUp(game);
    std::string transcript = promptsSeen(3) + gridLines(*answers);
    require(sys.out == transcript, "set-up prints the grid size after the prompts");

    // The last bytes of the input hold keys and click positions, so the fuzzer steers play.
    for (int f = 0; f < frames; ++f) {
        const auto b = std::uint8_t(input[input.size() - 1 - std::size_t(f) % input.size()]);
        game.input.keyEvent(keys[b & 15], (b & 16) != 0, false);
        if (b & 32) {
            const int x = int(b) * 37 % (answers->width + 128) - 64;
            const int y = int(b) * 53 % (answers->height + 128) - 64;
            game.input.pointerMoved(x, y);
            game.input.buttonEvent(platform::mouseLeft, true);
            game.input.buttonEvent(platform::mouseLeft, false);
            transcript += std::to_string(x) + "\n" + std::to_string(y) + "\n";
        }
        shell::runFrame(game);
        shell::presentFrame(game);
        require(gridIntact(game), "the border ring is solid and every cell is 0 or 10");
        require(game.winner >= 0 && game.winner <= 2, "winner is 0, 1 or 2");
        require(sys.out == transcript, "a left click prints the pointer, nothing else prints");
    }
    return answers;
}

// The second half: the same input through the whole start-up, as the program runs it.
void wholeRun(const std::string& input, const std::optional<shell::Answers>& answers) {
    if (answers && sizeFits(*answers) && !smallEnough(*answers)) return;
    ScriptedSystem sys(input);
    if (answers && answers->mode == refusingMode) sys.openProblem = "no such mode";
    sys.afterPresent = [&sys](int shown) {
        if (shown == frames) sys.signal = stopSignal;
    };
    const int status = shell::run(sys);

    if (!answers) {
        require(status == shell::exitInputEnded, "input that ends early exits with -1");
        require(sys.err == "Error reading from stream", "and says so");
        require(sys.opens == 0 && sys.out == promptsSeen(completeLines(input)), "with nothing opened");
        return;
    }
    if (!sizeFits(*answers) || answers->mode == refusingMode) {
        require(status == shell::exitNoDisplay, "no display exits with 1");
        require(sys.opens == (sizeFits(*answers) ? 1 : 0), "a refused size never reaches the display");
        require(!sys.err.empty() && sys.err.find('\n') == sys.err.size() - 1, "one line on the error stream");
        require(sys.out == promptsSeen(3) && sys.presentTimes.empty(), "nothing more printed or shown");
        return;
    }
    require(status == 128 + stopSignal, "a signal ends the run");
    require(sys.presentTimes.size() == std::size_t(frames), "no frame after the signal");
    require(sys.closes == 1 && !sys.isOpen, "the display is closed at the end");
    require(sys.out == promptsSeen(3) + gridLines(*answers) && sys.err.empty(),
            "the transcript of a good start");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    wholeRun(input, piecewise(input));
    return 0;
}
