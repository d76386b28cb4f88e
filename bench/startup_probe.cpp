// Starts a program and waits, on the X server in DISPLAY, for its first top-level window to be
// mapped; then prints the milliseconds from just before exec to the map, and the program's
// resident memory at that moment in KiB, and ends the program.
//   usage: startup_probe program [arguments...]
// The map is seen as a MapNotify on the root window, so the wait is a blocking read of the X
// connection, not a poll: the time is as exact as the server's handling of the map request.
// Without a window manager a top-level window's map goes straight to the server.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int timeoutMs = 30000;

std::optional<long> windowPid(Display *display, Window window)
{
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char *data = nullptr;
    const int status = XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type,
                                          &format, &count, &remaining, &data);
    std::optional<long> pid;
    if (status == Success && data && format == 32 && count == 1)
        pid = *reinterpret_cast<long *>(data);
    if (data)
        XFree(data);
    return pid;
}

long residentKiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

void stop(pid_t child)
{
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s program [arguments...]\n", argv[0]);
        return 2;
    }
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "%s: cannot open the X display\n", argv[0]);
        return 1;
    }
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("fork");
        return 1;
    }
    if (child == 0) {
        close(ConnectionNumber(display));
        execvp(argv[1], argv + 1);
        std::perror(argv[1]);
        _exit(127);
    }

    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != MapNotify || event.xmap.override_redirect)
                continue;
            if (windowPid(display, event.xmap.window) != child)
                continue;
            const auto mapped = std::chrono::steady_clock::now();
            const long rss = residentKiB(child);
            stop(child);
            const std::chrono::duration<double, std::milli> elapsed = mapped - start;
            std::printf("%.1f %ld\n", elapsed.count(), rss);
            XCloseDisplay(display);
            return 0;
        }
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            std::fprintf(stderr, "%s: %s ended before it showed a window\n", argv[0], argv[1]);
            return 1;
        }
        // Wake now and then to notice a program that died without a window.
        if (poll(&connection, 1, 100) < 0 ||
            std::chrono::steady_clock::now() - start > std::chrono::milliseconds(timeoutMs)) {
            std::fprintf(stderr, "%s: no window from %s\n", argv[0], argv[1]);
            stop(child);
            return 1;
        }
    }
}
