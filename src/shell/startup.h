// startup.h -- the console dialogue, opening the display and setting up a game
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {
class System;
}

namespace shell {

struct Game;

constexpr int exitInputEnded = 255;  // -1 as the shell sees it
constexpr int exitNoDisplay = 1;
constexpr int maxDisplaySide = 16384;

struct Answers {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t mode = 0;  // 0 a window, anything else the full screen
};

// Asks the three questions. Nothing when standard input ended before an answer's line feed.
std::optional<Answers> askAnswers(platform::System& sys);
// Why a back buffer of this size cannot be made, or an empty string when it can.
std::string displaySizeProblem(std::int32_t width, std::int32_t height);
// Opens the display and everything drawn on it; on failure says why, with nothing opened.
std::string openDisplay(Game& game, const Answers& answers);
// Everything after the display is open: sprite, grid size, fighters, starting terrain.
void setUp(Game& game);
// The whole run: dialogue, display, set-up and the frame loop. Returns the exit status.
int run(platform::System& sys);

}  // namespace shell
