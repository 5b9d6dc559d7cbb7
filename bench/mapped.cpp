// Starts a program under an X server and reports when its windows are mapped: for each name
// pattern (shell wildcards) the milliseconds from just before the exec to the map of the first
// top-level window with a matching name (under a window manager, the map of the frame holding
// it). Prints "<pid> <ms> <ms> ..." and leaves the program running for the caller to end. With
// --input, PROGRAM is a short command that gives the game input (xdotool key F3), and the
// times are from that input to the windows it shows. Run by bench/measure.sh and
// bench/desktops.sh, never by tests.
//   bench_mapped [--input] PATTERN... -- PROGRAM [ARG...]
#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fnmatch.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

xcb_atom_t atom(xcb_connection_t *x, const char *name)
{
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

std::string property(xcb_connection_t *x, xcb_window_t window, xcb_atom_t name)
{
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        x, xcb_get_property(x, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr);
    std::string value;
    if (reply) {
        value.assign(static_cast<const char *>(xcb_get_property_value(reply)),
                     xcb_get_property_value_length(reply));
        std::free(reply);
    }
    return value;
}

// The names of the window and of the windows within it: a window manager's frame holds the
// game's window, and some name their frames too (icewm's are all "Frame").
void namesWithin(xcb_connection_t *x, xcb_window_t window, xcb_atom_t netWmName, int depth,
                 std::vector<std::string> &names)
{
    std::string name = property(x, window, netWmName);
    if (name.empty())
        name = property(x, window, XCB_ATOM_WM_NAME);
    if (!name.empty())
        names.push_back(name);
    if (depth == 0)
        return;
    xcb_query_tree_reply_t *tree = xcb_query_tree_reply(x, xcb_query_tree(x, window), nullptr);
    if (!tree)
        return;
    const xcb_window_t *children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree); ++i)
        namesWithin(x, children[i], netWmName, depth - 1, names);
    std::free(tree);
}

} // namespace

int main(int argc, char *argv[])
{
    std::vector<const char *> patterns;
    int arg = 1;
    const bool input = arg < argc && std::strcmp(argv[arg], "--input") == 0;
    if (input)
        ++arg;
    while (arg < argc && std::strcmp(argv[arg], "--") != 0)
        patterns.push_back(argv[arg++]);
    if (patterns.empty() || arg + 1 >= argc) {
        std::fprintf(stderr, "usage: bench_mapped [--input] PATTERN... -- PROGRAM [ARG...]\n");
        return 2;
    }
    char **program = argv + arg + 1;

    xcb_connection_t *x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        std::fprintf(stderr, "bench_mapped: no X server\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const xcb_atom_t netWmName = atom(x, "_NET_WM_NAME");
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
    // A round trip, so the server has the mask before the program starts.
    std::free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));

    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        close(xcb_get_file_descriptor(x));
        // The program's output would hold the caller's pipe open after this launcher is done.
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execvp(program[0], program);
        _exit(127);
    }

    std::vector<double> ms(patterns.size(), -1);
    std::size_t found = 0;
    pollfd fd{xcb_get_file_descriptor(x), POLLIN, 0};
    while (found < patterns.size()) {
        const auto waited = Clock::now() - start;
        if (waited > std::chrono::seconds(20) ||
            (!input && waitpid(pid, nullptr, WNOHANG) == pid)) {
            std::fprintf(stderr, "bench_mapped: no window '%s'\n", patterns[found]);
            kill(pid, SIGKILL);
            return 1;
        }
        xcb_generic_event_t *event = xcb_poll_for_event(x);
        if (!event) {
            poll(&fd, 1, 100);
            continue;
        }
        if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
            const auto now = Clock::now();
            const xcb_window_t window = reinterpret_cast<xcb_map_notify_event_t *>(event)->window;
            std::vector<std::string> names;
            namesWithin(x, window, netWmName, 3, names);
            bool matched = false;
            for (std::size_t i = 0; i < patterns.size(); ++i) {
                for (const std::string &name : names) {
                    if (ms[i] < 0 && fnmatch(patterns[i], name.c_str(), 0) == 0) {
                        ms[i] = std::chrono::duration<double, std::milli>(now - start).count();
                        ++found;
                        matched = true;
                    }
                }
            }
            // A frame mapped before the window it is to hold (mutter): the window's own map
            // inside it is the moment it shows.
            if (!matched)
                xcb_change_window_attributes(x, window, XCB_CW_EVENT_MASK, &mask);
        }
        std::free(event);
    }
    if (input)
        waitpid(pid, nullptr, 0);
    std::printf("%d", int(pid));
    for (double m : ms)
        std::printf(" %.1f", m);
    std::printf("\n");
    xcb_disconnect(x);
    return 0;
}
