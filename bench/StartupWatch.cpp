// Starts a program and tells how long it took to put its window on the X display: when the window was
// mapped and when the first pixels were drawn into it, measured from outside, so a Qt program, a Windows
// program under Wine and Wine's own notepad are all timed alike and none of them carries anything for it.
// Run on a display without a window manager, where the top-level windows are the root's children.
//   startup-watch [--title TEXT] [--timeout SECONDS] -- PROGRAM [ARGUMENTS...]
// prints "MAPPED_MS DRAWN_MS MAX_RSS_KIB CPU_MS" and ends the program (its whole process group) once
// drawn. The processor time, the program's own, is steadier than the time on the clock on a busy machine.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace {

// Tool tips, the tray's helpers and Wine's hidden windows are smaller than any window a person starts.
constexpr int SmallestWindow = 64;

double NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

// A window may be gone by the time it is asked about; that is no reason to stop watching.
int IgnoreErrors(Display*, XErrorEvent*) {
    return 0;
}

std::string Title(Display* display, Window window) {
    Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count, &after,
                           &data) == Success &&
        data != nullptr && type == utf8) {
        title.assign(reinterpret_cast<char*>(data), count);
    }
    if (data != nullptr) {
        XFree(data);
    }
    if (title.empty()) {
        char* name = nullptr;
        if (XFetchName(display, window, &name) && name != nullptr) {
            title = name;
            XFree(name);
        }
    }
    return title;
}

bool Wanted(Display* display, Window window, const char* title) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.override_redirect ||
        attributes.width < SmallestWindow || attributes.height < SmallestWindow) {
        return false;
    }
    return title == nullptr || Title(display, window).find(title) != std::string::npos;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: startup-watch [--title TEXT] [--timeout SECONDS] -- PROGRAM [ARGUMENTS...]\n");
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    const char* title = nullptr;
    double timeoutMs = 60000;
    int first = 1;
    for (; first < argc; ++first) {
        if (std::strcmp(argv[first], "--") == 0) {
            ++first;
            break;
        }
        if (first + 1 >= argc) {
            return Usage();
        }
        if (std::strcmp(argv[first], "--title") == 0) {
            title = argv[++first];
        } else if (std::strcmp(argv[first], "--timeout") == 0) {
            timeoutMs = std::atof(argv[++first]) * 1000;
        } else {
            return Usage();
        }
    }
    if (first >= argc) {
        return Usage();
    }

    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "startup-watch: no X display\n");
        return 2;
    }
    int damageEvents = 0, damageErrors = 0;
    if (!XDamageQueryExtension(display, &damageEvents, &damageErrors)) {
        std::fprintf(stderr, "startup-watch: the display has no DAMAGE extension\n");
        return 2;
    }
    XSetErrorHandler(IgnoreErrors);
    Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    const double start = NowMs();
    pid_t child = fork();
    if (child == 0) {
        setpgid(0, 0);
        execvp(argv[first], argv + first);
        std::perror(argv[first]);
        _exit(127);
    }
    setpgid(child, child);

    // Damage is watched from the window's creation: a program may draw the moment its window is mapped,
    // before this side has even heard of the map.
    std::map<Window, Damage> damages;
    Window target = None;
    double mapped = -1, drawn = -1;
    bool childEnded = false;
    while (drawn < 0) {
        if (XPending(display) == 0) {
            double left = start + timeoutMs - NowMs();
            if (left <= 0) {
                break;
            }
            int status = 0;
            if (waitpid(child, &status, WNOHANG) == child) {
                childEnded = true;
                break;
            }
            pollfd connection{ConnectionNumber(display), POLLIN, 0};
            poll(&connection, 1, left < 50 ? static_cast<int>(left) + 1 : 50);
            continue;
        }
        XEvent event{};
        XNextEvent(display, &event);
        const double now = NowMs();
        if (event.type == CreateNotify && event.xcreatewindow.parent == root) {
            Window window = event.xcreatewindow.window;
            damages[window] = XDamageCreate(display, window, XDamageReportNonEmpty);
            XSelectInput(display, window, PropertyChangeMask);
        } else if (event.type == MapNotify && target == None && damages.count(event.xmap.window) != 0) {
            if (Wanted(display, event.xmap.window, title)) {
                target = event.xmap.window;
                mapped = now;
                // Drawing before the map reaches nobody's eyes: only what comes after counts.
                XDamageSubtract(display, damages[target], None, None);
            }
        } else if (event.type == PropertyNotify && target == None &&
                   damages.count(event.xproperty.window) != 0) {
            // A title set only after the window came up.
            XWindowAttributes attributes{};
            if (XGetWindowAttributes(display, event.xproperty.window, &attributes) &&
                attributes.map_state == IsViewable && Wanted(display, event.xproperty.window, title)) {
                target = event.xproperty.window;
                mapped = now;
                XDamageSubtract(display, damages[target], None, None);
            }
        } else if (event.type == damageEvents + XDamageNotify) {
            auto* damage = reinterpret_cast<XDamageNotifyEvent*>(&event);
            if (target != None && damage->drawable == target) {
                drawn = now;
            } else {
                XDamageSubtract(display, damage->damage, None, None);
            }
        }
    }

    if (!childEnded) {
        kill(-child, SIGKILL);
    }
    int status = 0;
    rusage usage{};
    if (childEnded) {
        getrusage(RUSAGE_CHILDREN, &usage);
    } else {
        wait4(child, &status, 0, &usage);
    }
    XCloseDisplay(display);
    if (drawn < 0) {
        std::fprintf(stderr, "startup-watch: %s %s\n", argv[first],
                     childEnded ? "ended before its window was drawn" : "showed no window in time");
        return 1;
    }
    const double cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
                       (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
    std::printf("%.1f %.1f %ld %.1f\n", mapped - start, drawn - start, usage.ru_maxrss, cpu);
    return 0;
}
