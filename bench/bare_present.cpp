// bare_present.cpp -- the yardstick for the game's CPU: fill a whole buffer and present it all, 60 times a second
//   bare_present    (answers the same three questions on stdin as the game, prints two lines, ends on Escape)
// It goes through the same backend and the same pacing as the game, so the process probe can time
// it exactly as it times the game; the colour changes every frame, as a redrawn arena's would.
#include <cstdio>

#include "platform/canvas.h"
#include "platform/input.h"
#include "platform/pacer.h"
#include "platform/rect.h"
#include "platform/sdl_system.h"
#include "shell/startup.h"

int main() {
    platform::SdlSystem sys;
    const auto answers = shell::askAnswers(sys);
    if (!answers) return 255;
    if (const std::string problem = sys.openDisplay(answers->width, answers->height, answers->mode != 0);
        !problem.empty())
        return std::fprintf(stderr, "bare_present: %s\n", problem.c_str()), 1;
    platform::Canvas canvas(sys.displayWidth(), sys.displayHeight());
    platform::Input input;
    input.setPump([&] { sys.pumpEvents(input); });
    platform::Pacer pacer;
    pacer.start(sys.nowMs());
    // The game prints its grid size here; the probe waits for two lines.
    sys.writeLine("bare");
    sys.writeLine("present");
    const platform::Rect whole{0, 0, canvas.width(), canvas.height()};
    for (int frame = 0; input.keyHits(platform::vk::escape) == 0 && sys.stopSignal() == 0; ++frame) {
        // Grey and never black, so the probe sees the first frame arrive.
        const int shade = 100 + frame % 64;
        canvas.setColor(shade, shade, shade);
        canvas.fillRect(0, 0, canvas.width(), canvas.height());
        if (!sys.presentWaitsForRetrace())
            if (const std::uint32_t wait = pacer.nextFrame(sys.nowMs()); wait > 0) sys.sleepMs(wait);
        sys.present(canvas, {&whole, 1});
    }
    sys.closeDisplay();
    return 0;
}
