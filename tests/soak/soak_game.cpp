// soak_game.cpp -- random hands on a scripted machine, and the rules checked after every frame
#include "soak/soak_game.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

#include "arena/grid.h"
#include "platform/input.h"
#include "shell/frame.h"
#include "shell/startup.h"

namespace soak {

namespace {

namespace vk = platform::vk;

// Both fighters' movement keys first, then their fire keys.
constexpr int allKeys[16] = {vk::left, vk::right, vk::up, vk::down, 'F', 'H', 'T', 'G',
                             'J',      'I',       'L',    'K',      'A', 'W', 'D', 'S'};

std::string where(const char* what, std::int64_t got, std::int64_t before) {
    return std::string(what) + " went from " + std::to_string(before) + " to " + std::to_string(got);
}

}  // namespace

SoakGame::SoakGame(const GamePlan& plan) : plan_(plan), rng_(plan.seed) {
    // The same order as start-up after the dialogue, but seeded from the plan rather than the
    // clock so a failing game replays exactly.
    // The twin is set up the same way and given the same input, and draws every frame in full.
    for (auto [sys, game] : {std::pair{&sys_, &game_}, std::pair{&fullSys_, &full_}}) {
        sys->clock = plan.clockStart;
        game->random.seed(plan.seed);
        const std::string problem = shell::openDisplay(*game, shell::Answers{plan.width, plan.height, 0});
        if (!problem.empty()) throw std::runtime_error(problem);
        game->pacer.start(sys->nowMs());
        game->input.reset();
        shell::setUp(*game);
        sys->out.clear();
    }
    sys_.keepScreen = true;

    for (std::size_t n = 0; n < keys_.size(); ++n) keys_[n] = HeldKey{allKeys[n], false, randomIn(0, 30)};

    // A shot moves one cell per frame along a row or a column and is spent on the first cell
    // that is not an empty inner one, so it stays in the list for at most as many frames as
    // the grid has inner cells along its longer side. The pacer never makes a frame shorter
    // than 16 ms, so a fighter's shots are at least gap frames apart (the smallest gap with
    // gap * 16 > shotDelay: 7 frames for 100 ms). In any window of shotLife frames a fighter
    // fires at most ceil(shotLife / gap) times, which bounds the list for both fighters.
    const int shotLife = std::max({game_.cols - 2, game_.rows - 2, 0});
    const int gap = game_.shotDelay / 16 + 1;
    shotBound_ = 2 * ((shotLife + gap - 1) / gap);

    p1health_ = game_.p1health;
    p2health_ = game_.p2health;
    p1shot_ = game_.p1shot;
    p2shot_ = game_.p2shot;
    p1x_ = game_.p1x, p1y_ = game_.p1y, p2x_ = game_.p2x, p2y_ = game_.p2y;
    solidCells_ = int(std::count(game_.grid.begin(), game_.grid.end(), arena::solidCell));
}

void SoakGame::moveHands() {
    for (std::size_t n = 0; n < keys_.size(); ++n) {
        auto& k = keys_[n];
        if (--k.framesLeft > 0) continue;
        k.down = !k.down;
        for (auto* input : inputs()) input->keyEvent(k.key, k.down, false);
        // Walking keys are held in short bursts and fire keys in longer ones, so fighters
        // cross the arena, meet walls and hold a stream of fire.
        const bool fireKey = n >= 8;
        k.framesLeft = k.down ? randomIn(1, fireKey ? 150 : 45) : randomIn(1, fireKey ? 120 : 60);
    }

    if (plan_.hunt) {
        if (randomIn(0, 2) == 0) aim(0);
        if (randomIn(0, 2) == 0) aim(1);
    }

    if (randomIn(0, 39) != 0) return;
    // Inside the display most of the time, often just beyond an edge, sometimes far away,
    // and now and then at the ends of the int range.
    const int kind = randomIn(0, 99);
    int x = 0, y = 0;
    if (kind < 55) {
        x = randomIn(0, plan_.width - 1);
        y = randomIn(0, plan_.height - 1);
    } else if (kind < 85) {
        x = randomIn(-64, plan_.width + 64);
        y = randomIn(-64, plan_.height + 64);
    } else if (kind < 95) {
        x = randomIn(-1'000'000, 1'000'000);
        y = randomIn(-1'000'000, 1'000'000);
    } else {
        const int ends[] = {INT_MIN, INT_MIN + 1, -1, INT_MAX - 1, INT_MAX};
        x = ends[randomIn(0, 4)];
        y = ends[randomIn(0, 4)];
    }
    // Right and middle clicks must do nothing; a left click prints the pointer and blasts.
    const int button =
        randomIn(0, 9) < 8 ? platform::mouseLeft : randomIn(platform::mouseRight, platform::mouseMiddle);
    for (auto* input : inputs()) {
        input->pointerMoved(x, y);
        input->buttonEvent(button, true);
        input->buttonEvent(button, false);
    }
    if (button == platform::mouseLeft) {
        expectedOut_ = std::to_string(x) + "\n" + std::to_string(y) + "\n";
        ++clicks_;
    }
}

void SoakGame::setKey(std::size_t index, bool down) {
    auto& k = keys_[index];
    if (k.down != down)
        for (auto* input : inputs()) input->keyEvent(k.key, down, false);
    k.down = down;
    k.framesLeft = randomIn(4, 30);  // then the random hand takes over again
}

// Steps across towards the other fighter's row or column, and fires along it once in line.
void SoakGame::aim(int fighter) {
    const std::int64_t dx = std::int64_t(game_.p2x) - game_.p1x;
    const std::int64_t dy = std::int64_t(game_.p2y) - game_.p1y;
    const std::int64_t ax = fighter == 0 ? dx : -dx, ay = fighter == 0 ? dy : -dy;  // towards the other
    const std::size_t walk = 4 * std::size_t(fighter);                              // left, right, up, down
    const std::size_t fire = 8 + 4 * std::size_t(fighter);                          // left, up, right, down
    const bool lineUpRows = std::abs(ay) <= std::abs(ax);
    std::size_t towards = lineUpRows ? (ay < 0 ? 2 : 3) : (ax < 0 ? 0 : 1);
    if (std::abs(lineUpRows ? ay : ax) < 8) towards = 4;  // already in line
    for (std::size_t n = 0; n < 4; ++n) setKey(walk + n, n == towards);
    if (towards != 4) return;
    const std::size_t shot = lineUpRows ? (ax < 0 ? 0 : 2) : (ay < 0 ? 1 : 3);
    for (std::size_t n = 0; n < 4; ++n) setKey(fire + n, n == shot);
}

std::optional<std::string> SoakGame::step() {
    expectedOut_.clear();
    moveHands();
    shell::runFrame(game_);
    shell::presentFrame(game_);
    shell::runFullFrame(full_);
    shell::presentFrame(full_);

    std::string transcript, fullTranscript;
    transcript.swap(sys_.out);
    fullTranscript.swap(fullSys_.out);
    // The scripted machine keeps every present and sleep; a long game must not grow them.
    for (auto* sys : {&sys_, &fullSys_}) {
        sys->presentTimes.clear();
        sys->sleeps.clear();
    }
    auto problem = check(transcript);
    if (!problem) problem = checkTwin(fullTranscript);
    ++frame_;
    return problem;
}

std::optional<std::string> SoakGame::check(const std::string& transcript) {
    if (game_.winner < 0 || game_.winner > 2) return "winner is " + std::to_string(game_.winner);
    if (auto p = checkGrid()) return p;
    if (auto p = checkFighter("red", game_.p1health, game_.p1shot, p1health_, p1shot_)) return p;
    if (auto p = checkFighter("cyan", game_.p2health, game_.p2shot, p2health_, p2shot_)) return p;

    const int shots = int(game_.bulletList.size());
    if (shots > shotBound_)
        return std::to_string(shots) + " shots alive, the fire rate allows " + std::to_string(shotBound_) +
               " on a " + std::to_string(game_.cols) + "x" + std::to_string(game_.rows) + " grid";
    peakShots_ = std::max(peakShots_, shots);

    if (transcript != expectedOut_)
        return "printed \"" + transcript + "\", expected \"" + expectedOut_ + "\"";

    stepsWalked_ += (game_.p1x != p1x_ || game_.p1y != p1y_) + (game_.p2x != p2x_ || game_.p2y != p2y_);
    p1x_ = game_.p1x, p1y_ = game_.p1y, p2x_ = game_.p2x, p2y_ = game_.p2y;
    return std::nullopt;
}

// The fast frame against the full one: every pixel, the drawing state, the game, what was printed;
// and what a display shown only the changed rectangles holds against the back buffer.
std::optional<std::string> SoakGame::checkTwin(const std::string& fullTranscript) {
    const auto& a = game_.canvas;
    const auto& b = full_.canvas;
    const std::size_t pixels = std::size_t(a.width()) * std::size_t(a.height());
    if (!std::equal(a.data(), a.data() + pixels, b.data()))
        return "the fast frame drew other pixels than the full one";
    if (!std::equal(a.data(), a.data() + pixels, sys_.screen.data()))
        return "the display missed a changed pixel";
    if (a.red() != b.red() || a.green() != b.green() || a.blue() != b.blue() || a.alpha() != b.alpha() ||
        a.blend() != b.blend() || a.scaleX() != b.scaleX() || a.scaleY() != b.scaleY() ||
        a.rotation() != b.rotation())
        return "the fast frame left another drawing state than the full one";
    if (game_.grid != full_.grid || game_.p1x != full_.p1x || game_.p1y != full_.p1y ||
        game_.p2x != full_.p2x || game_.p2y != full_.p2y || game_.p1health != full_.p1health ||
        game_.p2health != full_.p2health || game_.winner != full_.winner ||
        game_.bulletList.size() != full_.bulletList.size())
        return "the fast and the full frame left different games";
    if (fullTranscript != expectedOut_) return "the full frame printed \"" + fullTranscript + "\"";
    return std::nullopt;
}

std::optional<std::string> SoakGame::checkGrid() {
    if (game_.grid.size() != std::size_t(game_.cols) * std::size_t(game_.rows))
        return "grid holds " + std::to_string(game_.grid.size()) + " cells";
    int solid = 0;
    for (std::int32_t i = 0; i < game_.cols; ++i) {
        for (std::int32_t j = 0; j < game_.rows; ++j) {
            const std::int32_t v = game_.cell(i, j);
            const bool border = i == 0 || j == 0 || i == game_.cols - 1 || j == game_.rows - 1;
            if ((border && v != arena::solidCell) || (v != 0 && v != arena::solidCell))
                return std::string(border ? "border cell" : "cell") + " " + std::to_string(i) + "," +
                       std::to_string(j) + " holds " + std::to_string(v);
            solid += v == arena::solidCell;
        }
    }
    // Craters are only ever dug, never filled.
    if (solid > solidCells_) return where("solid cells", solid, solidCells_);
    solidCells_ = solid;
    return std::nullopt;
}

std::optional<std::string> SoakGame::checkFighter(const char* name, std::int32_t health,
                                                  std::int32_t lastShot, std::int32_t& prevHealth,
                                                  std::int32_t& prevShot) {
    const std::string_view who(name);
    // Health only falls, except that the defeat check lifts a negative health to 0; shots
    // still in flight may take it below 0 again in the same frame.
    if (health > prevHealth && !(prevHealth < 0 && health <= 0))
        return where((std::string(who) + " health").c_str(), health, prevHealth);
    prevHealth = health;

    if (lastShot != prevShot) {
        ++shotsFired_;
        // The clock only runs forward here, so the wrapping difference is the real time
        // between shots, across 2^31 and 2^32 alike.
        const auto since = std::uint32_t(lastShot) - std::uint32_t(prevShot);
        if (since <= std::uint32_t(game_.shotDelay))
            return std::string(who) + " fired " + std::to_string(since) + " ms after its last shot";
        prevShot = lastShot;
    }
    return std::nullopt;
}

}  // namespace soak
