// xorg_fixture.h -- a game on a private Xorg that switches modes, with or without a window manager
#pragma once

#include <X11/Xatom.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

#include "game_fixture.h"
#include "xorg_server.h"

namespace e2e {

class XorgFixture : public GameFixture {
protected:
    void SetUp() override {
        // Xorg opens the console's devices, which only root may; CI runs as root.
        if (geteuid() != 0)
            GTEST_SKIP() << "Xorg with the dummy video driver needs root; run as root to test it";
    }

    ~XorgFixture() override {
        if (windowManager_ > 0) stopProcess(windowManager_, SIGTERM);
        // The game first, then the server; the log stays where a failed test can be looked into.
        game_.reset();
        x_.reset();
        if (folder_.empty()) return;
        if (HasFailure()) {
            std::cerr << "Xorg's log is kept in " << folder_ << "\n";
        } else {
            std::filesystem::remove_all(folder_);
        }
    }

    // Starts the server at its desktop mode and, if asked, openbox on it.
    void startXorg(bool windowManager) {
        const StartedServer server = e2e::startXorg();
        folder_ = server.folder;
        x_ = std::make_unique<XServer>(server.name, server.pid);
        if (!windowManager) return;
        SpawnRequest request;
        request.argv = {"openbox"};
        request.env = environmentWith({{"DISPLAY", server.name}});
        windowManager_ = spawn(request);
        // openbox names itself on the root window once it manages windows.
        const Atom check = XInternAtom(x_->display(), "_NET_SUPPORTING_WM_CHECK", False);
        const auto end = Clock::now() + kWindowDeadline;
        while (!hasProperty(x_->root(), check)) {
            if (Clock::now() >= end) throw std::runtime_error("openbox did not start");
            std::this_thread::sleep_for(milliseconds(20));
        }
    }

    std::string mode() const { return screenMode(x_->name()); }

    // Polls until the screen shows `wanted`; the mode it shows at the deadline otherwise.
    std::string waitForMode(const std::string& wanted, milliseconds deadline = kWindowDeadline) {
        const auto end = Clock::now() + deadline;
        std::string now = mode();
        while (now != wanted && Clock::now() < end) {
            std::this_thread::sleep_for(milliseconds(20));
            now = mode();
        }
        return now;
    }

    // What a taskbar or a pager asks of the window manager: raise and focus `w`.
    void activate(Window w) {
        XEvent ev{};
        ev.xclient.type = ClientMessage;
        ev.xclient.window = w;
        ev.xclient.message_type = XInternAtom(x_->display(), "_NET_ACTIVE_WINDOW", False);
        ev.xclient.format = 32;
        ev.xclient.data.l[0] = 2;  // from a pager: obeyed at once
        ev.xclient.data.l[1] = CurrentTime;
        XSendEvent(x_->display(), x_->root(), False, SubstructureRedirectMask | SubstructureNotifyMask, &ev);
        XSync(x_->display(), False);
    }

private:
    bool hasProperty(Window w, Atom property) {
        int count = 0;
        Atom* atoms = XListProperties(x_->display(), w, &count);
        bool found = false;
        for (int i = 0; i < count; ++i) found = found || atoms[i] == property;
        if (atoms != nullptr) XFree(atoms);
        return found;
    }

    pid_t windowManager_ = -1;
    std::string folder_;
};

}  // namespace e2e
