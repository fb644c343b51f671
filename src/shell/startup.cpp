// startup.cpp -- from the first prompt to the first frame, in a fixed order
#include "shell/startup.h"

#include <cmath>
#include <new>
#include <string>

#include "arena/grid.h"
#include "arena/layer.h"
#include "platform/convert.h"
#include "shell/frame.h"
#include "shell/game.h"

namespace shell {

std::optional<Answers> askAnswers(platform::System& sys) {
    const char* const prompts[] = {
        "Graphics Width: ", "Graphics Height: ", "Graphics Mode (0 = windowed, 1 = full screen) : "};
    std::int32_t values[3] = {};
    for (int n = 0; n < 3; ++n) {
        sys.prompt(prompts[n]);
        const auto line = sys.readLine();
        if (!line) return std::nullopt;
        values[n] = platform::toInt(*line);
    }
    return Answers{values[0], values[1], values[2]};
}

std::string displaySizeProblem(std::int32_t width, std::int32_t height) {
    if (width < 1 || height < 1) return "width and height must be at least 1 pixel";
    // Checked before anything is allocated: a mistyped size must fail at once, not after
    // trying to find gigabytes for the back buffer.
    if (width > maxDisplaySide || height > maxDisplaySide)
        return "the largest size supported is " + std::to_string(maxDisplaySide) + "x" +
               std::to_string(maxDisplaySide);
    return {};
}

std::string openDisplay(Game& game, const Answers& answers) {
    const bool fullScreen = answers.mode != 0;
    std::string problem = displaySizeProblem(answers.width, answers.height);
    if (problem.empty()) problem = game.sys.openDisplay(answers.width, answers.height, fullScreen);
    if (problem.empty()) {
        try {
            game.canvas = platform::Canvas(game.sys.displayWidth(), game.sys.displayHeight());
        } catch (const std::bad_alloc&) {
            game.sys.closeDisplay();
            problem = "not enough memory for the back buffer";
        }
    }
    if (problem.empty()) return {};
    return "craterduel: cannot open a " + std::to_string(answers.width) + "x" +
           std::to_string(answers.height) + (fullScreen ? " full screen: " : " window: ") + problem + "\n";
}

void setUp(Game& game) {
    auto& sys = game.sys;
    game.canvas.setAutoMidHandle(true);
    arena::makeBlockImage(game);

    const int width = game.canvas.width();
    const int height = game.canvas.height();
    game.cols = std::int32_t(std::ceil(width / 16.0));
    game.rows = std::int32_t(std::ceil(height / 16.0));
    sys.writeLine(std::to_string(game.cols));
    sys.writeLine(std::to_string(game.rows));

    game.grid.assign(std::size_t(game.cols) * std::size_t(game.rows), 0);

    game.p1x = width - 80;
    game.p1y = height / 2;
    game.p1shot = std::int32_t(sys.nowMs());
    game.p2y = height / 2;
    game.p2shot = std::int32_t(sys.nowMs());

    arena::makeGrid(game);
    arena::setUpLayer(game);
}

int run(platform::System& sys) {
    Game game(sys);
    game.bulletList.clear();
    game.random.seed(sys.nowMs());

    const auto answers = askAnswers(sys);
    if (!answers) {
        sys.writeError("Error reading from stream");
        return exitInputEnded;
    }

    if (const std::string problem = openDisplay(game, *answers); !problem.empty()) {
        sys.writeError(problem);
        return exitNoDisplay;
    }
    game.pacer.start(sys.nowMs());
    game.input.reset();
    if (answers->mode != 0) sys.movePointer(game.canvas.width() / 2, game.canvas.height() / 2);

    setUp(game);
    const int status = runLoop(game);
    sys.closeDisplay();
    return status;
}

}  // namespace shell
