// SPDX-License-Identifier: GPL-3.0-or-later
// A drag source for the display scenarios: drops files on a window over the
// X drag-and-drop protocol (version 5), as a file manager does, so that the
// program under test receives the drop through its window system and not as
// a synthetic event.
//
//   xdnd-drop WINDOW X Y PATH...
//
// WINDOW is an X window id (decimal or 0x hex), X and Y a point inside it.
// Exit status: 0 the drop was accepted and finished, 1 refused, 2 no answer
// in time (the target hung or went away), 3 bad arguments.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <sys/select.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Atoms {
    Atom aware, enter, position, status, leave, drop, finished, selection, actionCopy, uriList, textPlain;
};

Atoms atomsOf(Display* display)
{
    const auto atom = [display](const char* name) { return XInternAtom(display, name, False); };
    return {atom("XdndAware"),      atom("XdndEnter"),     atom("XdndPosition"), atom("XdndStatus"),
            atom("XdndLeave"),      atom("XdndDrop"),      atom("XdndFinished"), atom("XdndSelection"),
            atom("XdndActionCopy"), atom("text/uri-list"), atom("text/plain")};
}

// file:// URIs with the bytes outside the unreserved set escaped, one line
// each, ended by CR LF as the protocol's text/uri-list asks.
std::string uriListOf(const std::vector<std::string>& paths)
{
    std::string list;
    for (const std::string& path : paths) {
        std::string absolute = path;
        if (absolute.empty() || absolute[0] != '/') {
            char* cwd = getcwd(nullptr, 0);
            absolute = std::string(cwd ? cwd : "") + "/" + path;
            std::free(cwd);
        }
        list += "file://";
        for (const unsigned char c : absolute) {
            if (std::isalnum(c) || std::strchr("/-._~", c)) {
                list += static_cast<char>(c);
            } else {
                char escaped[4];
                std::snprintf(escaped, sizeof escaped, "%%%02X", c);
                list += escaped;
            }
        }
        list += "\r\n";
    }
    return list;
}

bool isAware(Display* display, Window window, Atom aware)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const bool found = XGetWindowProperty(display, window, aware, 0, 1, False, AnyPropertyType, &type, &format, &count,
                                          &after, &data) == Success &&
                       type != None;
    if (data)
        XFree(data);
    return found;
}

// The window itself when it takes drops, else the first of its descendants
// under the point that does (a window manager's frame around a client).
Window dropTargetAt(Display* display, Window window, int rootX, int rootY, Atom aware)
{
    for (int depth = 0; depth < 16 && window != None; ++depth) {
        if (isAware(display, window, aware))
            return window;
        int x = 0, y = 0;
        Window child = None;
        if (!XTranslateCoordinates(display, DefaultRootWindow(display), window, rootX, rootY, &x, &y, &child))
            return None;
        window = child;
    }
    return None;
}

void sendMessage(Display* display, Window target, Atom type, const long (&data)[5])
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.display = display;
    event.xclient.window = target;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    for (int i = 0; i < 5; ++i)
        event.xclient.data.l[i] = data[i];
    XSendEvent(display, target, False, NoEventMask, &event);
    XFlush(display);
}

// A server time stamp: the time of a property change on our own window.
Time serverTime(Display* display, Window window)
{
    const Atom stamp = XInternAtom(display, "HELIXPLOT_XDND_TIME", False);
    XChangeProperty(display, window, stamp, XA_STRING, 8, PropModeReplace, nullptr, 0);
    XEvent event;
    XWindowEvent(display, window, PropertyChangeMask, &event);
    return event.xproperty.time;
}

class Source {
public:
    Source(Display* display, Window window, const Atoms& atoms, std::string uris)
        : display_(display), window_(window), atoms_(atoms), uris_(std::move(uris))
    {
    }

    // Handles events until a client message of the given type comes, or the
    // time runs out; answers the target's requests for the data meanwhile.
    bool waitFor(Atom type, XClientMessageEvent& message, int seconds)
    {
        const int fd = ConnectionNumber(display_);
        for (int tick = 0; tick < seconds * 20;) {
            while (XPending(display_)) {
                XEvent event;
                XNextEvent(display_, &event);
                if (event.type == SelectionRequest) {
                    answer(event.xselectionrequest);
                } else if (event.type == ClientMessage && event.xclient.message_type == type) {
                    message = event.xclient;
                    return true;
                }
            }
            fd_set fds;
            FD_ZERO(&fds);
            FD_SET(fd, &fds);
            timeval wait{0, 50000};
            if (select(fd + 1, &fds, nullptr, nullptr, &wait) == 0)
                ++tick;
        }
        return false;
    }

private:
    void answer(const XSelectionRequestEvent& request)
    {
        XEvent reply{};
        reply.xselection.type = SelectionNotify;
        reply.xselection.display = request.display;
        reply.xselection.requestor = request.requestor;
        reply.xselection.selection = request.selection;
        reply.xselection.target = request.target;
        reply.xselection.time = request.time;
        reply.xselection.property = None;
        const Atom property = request.property != None ? request.property : request.target;
        if (request.selection == atoms_.selection &&
            (request.target == atoms_.uriList || request.target == atoms_.textPlain)) {
            XChangeProperty(display_, request.requestor, property, request.target, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(uris_.data()), static_cast<int>(uris_.size()));
            reply.xselection.property = property;
        } else if (request.target == XInternAtom(display_, "TARGETS", False)) {
            const Atom targets[] = {atoms_.uriList, atoms_.textPlain};
            XChangeProperty(display_, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(targets), 2);
            reply.xselection.property = property;
        }
        XSendEvent(display_, request.requestor, False, NoEventMask, &reply);
        XFlush(display_);
    }

    Display* display_;
    Window window_;
    const Atoms& atoms_;
    std::string uris_;
};

// Ends the connection once the server has taken every request: a server
// that sees a connection hang up drops the requests it has not read yet. A
// lost XdndLeave leaves the target in the refused drag, and it refuses
// every drag after it.
int closeWith(Display* display, int status)
{
    XSync(display, False);
    XCloseDisplay(display);
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s WINDOW X Y PATH...\n", argv[0]);
        return 3;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "xdnd-drop: cannot open the display\n");
        return 3;
    }
    const Atoms atoms = atomsOf(display);
    const Window root = DefaultRootWindow(display);
    const Window given = std::strtoul(argv[1], nullptr, 0);
    int rootX = 0, rootY = 0;
    Window child = None;
    if (!XTranslateCoordinates(display, given, root, std::atoi(argv[2]), std::atoi(argv[3]), &rootX, &rootY, &child)) {
        std::fprintf(stderr, "xdnd-drop: no window %s\n", argv[1]);
        return closeWith(display, 3);
    }
    const Window target = dropTargetAt(display, given, rootX, rootY, atoms.aware);
    if (target == None) {
        std::fprintf(stderr, "xdnd-drop: window %s takes no drops\n", argv[1]);
        return closeWith(display, 1);
    }

    const Window source = XCreateSimpleWindow(display, root, -10, -10, 1, 1, 0, 0, 0);
    XSelectInput(display, source, PropertyChangeMask);
    const Time time = serverTime(display, source);
    XSetSelectionOwner(display, atoms.selection, source, time);
    Source drag(display, source, atoms, uriListOf(std::vector<std::string>(argv + 4, argv + argc)));

    const long version = 5;
    const long src = static_cast<long>(source);
    sendMessage(display, target, atoms.enter,
                {src, version << 24, static_cast<long>(atoms.uriList), static_cast<long>(atoms.textPlain), 0});
    // As a hand keeps moving over a target: a busy window may refuse the
    // first positions before it has looked at what is offered.
    XClientMessageEvent status{};
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (attempt > 0)
            usleep(100 * 1000);
        sendMessage(display, target, atoms.position,
                    {src, 0, (static_cast<long>(rootX) << 16) | rootY, static_cast<long>(time),
                     static_cast<long>(atoms.actionCopy)});
        if (!drag.waitFor(atoms.status, status, 10)) {
            std::fprintf(stderr, "xdnd-drop: no status from the target\n");
            return closeWith(display, 2);
        }
        if (status.data.l[1] & 1)
            break;
    }
    if (!(status.data.l[1] & 1)) {
        sendMessage(display, target, atoms.leave, {src, 0, 0, 0, 0});
        std::fprintf(stderr, "xdnd-drop: the target refuses the drop\n");
        return closeWith(display, 1);
    }
    sendMessage(display, target, atoms.drop, {src, 0, static_cast<long>(time), 0, 0});
    XClientMessageEvent finished{};
    if (!drag.waitFor(atoms.finished, finished, 10)) {
        std::fprintf(stderr, "xdnd-drop: the drop did not finish\n");
        return closeWith(display, 2);
    }
    return closeWith(display, (finished.data.l[1] & 1) ? 0 : 1);
}
