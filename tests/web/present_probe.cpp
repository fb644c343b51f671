// present_probe.cpp -- presents chosen rectangles through the page's backend, for the browser tests
#include "platform/canvas.h"
#include "platform/rect.h"
#include "platform/web_system.h"

// Two frames on a 64x48 display: the first all red, presented with no changed rectangle at all
// (the first present shows the whole frame whatever it is told); the second all green, presented
// with two rectangles, one inside and one reaching past the bottom-right corner.
int main() {
    platform::WebSystem sys;
    if (!sys.openDisplay(64, 48, false).empty()) return 1;
    platform::Canvas canvas(64, 48);
    canvas.setColor(255, 0, 0);
    canvas.fillRect(0, 0, 64, 48);
    sys.present(canvas, {});
    canvas.setColor(0, 255, 0);
    canvas.fillRect(0, 0, 64, 48);
    const platform::Rect changed[] = {{2, 3, 10, 5}, {60, 40, 10, 10}};
    sys.present(canvas, changed);
    sys.writeLine("presented");
    // Returning would close the display and take the canvas away before the test reads it.
    for (;;) sys.sleepMs(1000);
}
