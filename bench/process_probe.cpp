// process_probe.cpp -- the real game in a window on $DISPLAY: start-up time, CPU per second, peak memory
//   process_probe GAME WIDTH HEIGHT [SECONDS [busy]]   (bench/process_figures.sh starts the X server)
// With busy, both fighters walk to and fro and hold their fire for the whole measurement.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// Time on a processor of a whole process, in seconds: the scheduler's nanosecond count summed over
// its live threads. The ticks in /proc/PID/stat are 10 ms, too coarse for a game that needs well
// under 1% of a core; they are the fallback when schedstat is missing.
double cpuSeconds(pid_t pid) {
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    if (DIR* dir = opendir(tasks.c_str())) {
        unsigned long long ns = 0;
        bool any = false;
        while (const dirent* entry = readdir(dir)) {
            if (entry->d_name[0] == '.') continue;
            std::ifstream stat(tasks + "/" + entry->d_name + "/schedstat");
            unsigned long long onCpu = 0;
            if (stat >> onCpu) ns += onCpu, any = true;
        }
        closedir(dir);
        if (any) return double(ns) * 1e-9;
    }
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(in, line);
    std::istringstream fields(line.substr(line.rfind(')') + 2));  // the name may hold spaces
    std::string skip;
    for (int field = 3; field < 14; ++field) fields >> skip;
    unsigned long long user = 0, system = 0;
    fields >> user >> system;
    return double(user + system) / double(sysconf(_SC_CLK_TCK));
}

std::string statusLine(pid_t pid, const std::string& key) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(key + ":", 0) == 0) return line.substr(line.find_first_not_of(" \t", key.size() + 1));
    return "?";
}

// The top-level window whose _NET_WM_PID is the game's, or 0 while it has none.
Window gameWindow(Display* x, pid_t pid) {
    const Atom wmPid = XInternAtom(x, "_NET_WM_PID", True);
    if (wmPid == None) return 0;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(x, children[i], wmPid, 0, 1, False, XA_CARDINAL, &type, &format, &items,
                               &after, &data) == Success &&
            data && items == 1 && format == 32 && pid_t(*reinterpret_cast<unsigned long*>(data)) == pid)
            found = children[i];
        if (data) XFree(data);
    }
    if (children) XFree(children);
    return found;
}

// The window may be read before it is mapped, or after the game has gone: such requests fail,
// and the poll simply tries again.
int ignoreXError(Display*, XErrorEvent*) { return 0; }

// True once the window shows anything but black. The top-left cell is always wall, never black.
bool showsAFrame(Display* x, Window w) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(x, w, &attributes) || attributes.map_state != IsViewable) return false;
    XImage* image = XGetImage(x, w, 8, 8, 1, 1, AllPlanes, ZPixmap);
    if (!image) return false;
    const bool lit = (XGetPixel(image, 0, 0) & 0xFFFFFFu) != 0;
    XDestroyImage(image);
    return lit;
}

// Keys held through XTest, as a player holding them would.
void setKey(Display* x, const char* name, bool down) {
    XTestFakeKeyEvent(x, XKeysymToKeycode(x, XStringToKeysym(name)), down ? True : False, 0);
}

// Both fighters fire without pause and walk one way, then the other, a fifth of a second each way:
// short enough that neither reaches a wall of its starting crater and stands still.
// Fire is left held when `release` is false, for the caller to look at the shots.
void playBusy(Display* x, double seconds, bool release) {
    const char* fire[] = {"j", "d"};
    const char* ways[2][2] = {{"Left", "f"}, {"Right", "h"}};
    for (const char* k : fire) setKey(x, k, true);
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    for (int turn = 0; Clock::now() < end; ++turn) {
        for (const char* k : ways[turn % 2]) setKey(x, k, true);
        XFlush(x);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        for (const char* k : ways[turn % 2]) setKey(x, k, false);
    }
    if (release)
        for (const char* k : fire) setKey(x, k, false);
    XFlush(x);
}

// Pixels in a shot's yellow across the whole window.
long yellowPixels(Display* x, Window w) {
    XWindowAttributes a{};
    if (!XGetWindowAttributes(x, w, &a)) return -1;
    XImage* image = XGetImage(x, w, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap);
    if (!image) return -1;
    long n = 0;
    for (int y = 0; y < a.height; ++y)
        for (int px = 0; px < a.width; ++px) n += (XGetPixel(image, px, y) & 0xFFFFFFu) == 0xFFFF00u;
    XDestroyImage(image);
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return std::fprintf(stderr, "usage: process_probe GAME WIDTH HEIGHT [SECONDS]\n"), 2;
    const std::string width = argv[2], height = argv[3];
    const double seconds = argc > 4 ? std::atof(argv[4]) : 10.0;
    const bool busy = argc > 5 && std::string(argv[5]) == "busy";
    Display* x = XOpenDisplay(nullptr);
    if (!x) return std::fprintf(stderr, "process_probe: no X display\n"), 1;
    XSetErrorHandler(ignoreXError);
    // A desktop's screen memory has long been drawn on; a fresh Xvfb's has not, and the first
    // picture put on it would pay for touching every page. Paint the whole screen once first.
    XSetWindowBackground(x, DefaultRootWindow(x), BlackPixel(x, DefaultScreen(x)));
    XClearWindow(x, DefaultRootWindow(x));
    XSync(x, False);

    int answers[2], output[2];
    if (pipe(answers) != 0 || pipe(output) != 0) return std::perror("pipe"), 1;
    const pid_t game = fork();
    if (game == 0) {
        dup2(answers[0], 0);
        dup2(output[1], 1);
        close(answers[1]);
        close(output[0]);
        execl(argv[1], argv[1], static_cast<char*>(nullptr));
        _exit(127);
    }
    close(answers[0]);
    close(output[1]);
    const std::string first = width + "\n" + height + "\n";
    if (write(answers[1], first.data(), first.size()) != ssize_t(first.size()))
        return std::perror("write"), 1;
    usleep(200000);  // the first two answers are read and the third prompt is waiting
    const auto answered = Clock::now();
    if (write(answers[1], "0\n", 2) != 2) return std::perror("write"), 1;

    // Stamp the moment the grid size (two lines, printed during set-up) arrives, while polling
    // the window for its first lit pixel every quarter millisecond.
    double gridPrinted = -1, firstFrame = -1;
    std::string printed;
    Window window = 0;
    fcntl(output[0], F_SETFL, O_NONBLOCK);
    while (firstFrame < 0 && msSince(answered) < 5000) {
        char buffer[256];
        for (ssize_t n; (n = read(output[0], buffer, sizeof buffer)) > 0;)
            printed.append(buffer, std::size_t(n));
        if (gridPrinted < 0 && std::count(printed.begin(), printed.end(), '\n') >= 2)
            gridPrinted = msSince(answered);
        if (!window) window = gameWindow(x, game);
        if (window && showsAFrame(x, window)) firstFrame = msSince(answered);
        usleep(250);
    }
    if (firstFrame < 0) {
        kill(game, SIGKILL);
        return std::fprintf(stderr, "process_probe: no frame within 5 s\n"), 1;
    }

    if (busy) {
        // The keys go where the focus is; give the window a moment to take it in first.
        XSetInputFocus(x, window, RevertToParent, CurrentTime);
        XSync(x, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    const double cpuBefore = cpuSeconds(game);
    const char* xvfb = std::getenv("XVFB_PID");
    const double xCpuBefore = xvfb ? cpuSeconds(pid_t(std::atoi(xvfb))) : 0;
    const auto playStart = Clock::now();
    if (busy) playBusy(x, seconds, false);
    else std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double played = msSince(playStart) / 1000.0;
    const double cpu = cpuSeconds(game) - cpuBefore;
    const double xCpu = xvfb ? cpuSeconds(pid_t(std::atoi(xvfb))) - xCpuBefore : 0;
    // Proof that the keys reached the game: shots on the screen while fire is still held.
    long shotPixels = -1;
    if (busy) {
        shotPixels = yellowPixels(x, window);
        for (const char* k : {"j", "d"}) setKey(x, k, false);
        XFlush(x);
    }
    const std::string peak = statusLine(game, "VmHWM");

    XSetInputFocus(x, window, RevertToParent, CurrentTime);
    const KeyCode escape = XKeysymToKeycode(x, XK_Escape);
    XTestFakeKeyEvent(x, escape, True, 0);
    XTestFakeKeyEvent(x, escape, False, 0);
    XFlush(x);
    int status = 0;
    for (int waited = 0; waitpid(game, &status, WNOHANG) == 0; ++waited) {
        if (waited == 3000) kill(game, SIGKILL);
        usleep(1000);
    }

    std::printf("process %sx%s window (%s), %s\n", width.c_str(), height.c_str(), argv[1],
                busy ? "both fighters walking and firing" : "no key held");
    std::printf("  last answer -> grid size printed  %.1f ms\n", gridPrinted);
    std::printf("  last answer -> first frame shown  %.1f ms (window pixel polled with XGetImage)\n",
                firstFrame);
    std::printf("  CPU over %.1f s of play           %.1f%% of one core (game)", played, 100 * cpu / played);
    if (xvfb) std::printf(", %.1f%% (X server)", 100 * xCpu / played);
    std::printf("\n  peak memory (VmHWM)             %s\n", peak.c_str());
    std::printf("  exit after Escape                %s %d\n", WIFEXITED(status) ? "status" : "signal",
                WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status));
    if (busy)
        std::printf("  shot pixels seen at the end      %ld (the game shows some once the keys arrive)\n",
                    shotPixels);
    // One line for scripts: CPU in % of one core, peak memory in kB.
    std::printf("  figures cpu=%.2f peak_kb=%ld\n", 100 * cpu / played, std::atol(peak.c_str()));
    XCloseDisplay(x);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
