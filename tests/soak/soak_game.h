// soak_game.h -- one seeded game on a scripted machine, random hands on both fighters' keys
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <string>

#include "shell/game.h"
#include "support/scripted_system.h"

namespace soak {

struct GamePlan {
    int width = 0;
    int height = 0;
    std::uint64_t seed = 0;
    std::uint32_t clockStart = 1000;  // near 2^31 or 2^32 so the clock wraps during play
    int frames = 0;
    bool hunt = false;  // hands that often walk into line with the other fighter and fire at it
};

// A game set up the way start-up does it, then stepped one paced frame at a time with random
// key holds and clicks. Every frame is checked against the rules that no input may break, and
// against a twin fed the same input that draws every frame in full.
class SoakGame {
public:
    explicit SoakGame(const GamePlan& plan);
    SoakGame(const SoakGame&) = delete;
    SoakGame& operator=(const SoakGame&) = delete;

    // Plays one frame and checks the result: what broke, or nothing when all held.
    std::optional<std::string> step();

    int framesPlayed() const { return frame_; }
    // The most shots the fire rate lets be alive at once.
    int shotBound() const { return shotBound_; }
    int peakShots() const { return peakShots_; }
    int shotsFired() const { return shotsFired_; }
    int clicks() const { return clicks_; }
    std::int32_t winner() const { return game_.winner; }
    std::int32_t stepsWalked() const { return stepsWalked_; }

private:
    struct HeldKey {
        int key = 0;
        bool down = false;
        int framesLeft = 0;  // until the hand changes its mind
    };

    void moveHands();
    void setKey(std::size_t index, bool down);
    void aim(int fighter);
    std::optional<std::string> check(const std::string& transcript);
    std::optional<std::string> checkGrid();
    std::optional<std::string> checkTwin(const std::string& fullTranscript);
    std::array<platform::Input*, 2> inputs() { return {&game_.input, &full_.input}; }
    std::optional<std::string> checkFighter(const char* name, std::int32_t health, std::int32_t lastShot,
                                            std::int32_t& prevHealth, std::int32_t& prevShot);
    int randomIn(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

    GamePlan plan_;
    testing_support::ScriptedSystem sys_;
    shell::Game game_{sys_};
    testing_support::ScriptedSystem fullSys_;
    shell::Game full_{fullSys_};  // the same game drawn by the full frame, the reference
    std::mt19937_64 rng_;
    std::array<HeldKey, 16> keys_{};
    std::string expectedOut_;  // what this frame's clicks should print

    int frame_ = 0;
    int shotBound_ = 0;
    std::int32_t p1health_ = 0, p2health_ = 0, p1shot_ = 0, p2shot_ = 0;
    std::int32_t p1x_ = 0, p1y_ = 0, p2x_ = 0, p2y_ = 0;
    int solidCells_ = 0;
    int peakShots_ = 0, shotsFired_ = 0, clicks_ = 0;
    std::int32_t stepsWalked_ = 0;
};

}  // namespace soak
