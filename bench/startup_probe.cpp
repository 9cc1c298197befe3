// Measures one start of a windowed program on the X display in $DISPLAY:
//
//   startup_probe SETTLE_MS PROGRAM [ARGS...]
//
// prints "MAP_MS PEAK_RSS_KB": the time from just before exec until the program's top-level
// window titled "Form1" is mapped, and the program's peak resident memory. Once the window is
// mapped the program runs SETTLE_MS longer, so that its first paint counts, and is then ended.
// The window is seen through the root window's MapNotify events, so the program needs no help.

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kMapTimeout = std::chrono::seconds(30);

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <typename T>
using XcbPtr = std::unique_ptr<T, FreeDeleter>;

struct ConnectionDeleter {
  void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};
using Connection = std::unique_ptr<xcb_connection_t, ConnectionDeleter>;

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  const XcbPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
  return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::string Property(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property) {
  const XcbPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(
      c, xcb_get_property(c, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 256), nullptr));
  if (!reply) return {};
  return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                     static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

[[noreturn]] void Die(const char* what) {
  std::fprintf(stderr, "startup_probe: %s\n", what);
  std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) Die("usage: startup_probe SETTLE_MS PROGRAM [ARGS...]");
  const auto settle = std::chrono::milliseconds(std::atoi(argv[1]));

  int screenNumber = 0;
  const Connection connection(xcb_connect(nullptr, &screenNumber));
  xcb_connection_t* c = connection.get();
  if (xcb_connection_has_error(c)) Die("cannot connect to the X display");
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
  for (int i = 0; i < screenNumber; ++i) xcb_screen_next(&screens);
  const xcb_window_t root = screens.data->root;

  const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  const XcbPtr<xcb_generic_error_t> error(xcb_request_check(
      c, xcb_change_window_attributes_checked(c, root, XCB_CW_EVENT_MASK, &mask)));
  if (error) Die("cannot watch the root window");
  const xcb_atom_t netWmName = Atom(c, "_NET_WM_NAME");

  const Clock::time_point start = Clock::now();
  const pid_t child = fork();
  if (child < 0) Die("fork failed");
  if (child == 0) {
    execvp(argv[2], argv + 2);
    _exit(127);
  }

  bool mapped = false;
  Clock::time_point mappedAt;
  while (!mapped) {
    if (Clock::now() - start > kMapTimeout) {
      kill(child, SIGKILL);
      Die("the window was not mapped in time");
    }
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child) Die("the program ended before its window");
    pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
    poll(&fd, 1, 100);
    while (const XcbPtr<xcb_generic_event_t> event{xcb_poll_for_event(c)}) {
      if ((event->response_type & 0x7F) != XCB_MAP_NOTIFY) continue;
      const Clock::time_point at = Clock::now();
      const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event.get());
      if (map->override_redirect) continue;  // a tooltip or a menu
      if (Property(c, map->window, netWmName) == "Form1" ||
          Property(c, map->window, XCB_ATOM_WM_NAME) == "Form1") {
        mapped = true;
        mappedAt = at;
        break;
      }
    }
    if (xcb_connection_has_error(c)) Die("lost the X display");
  }

  std::this_thread::sleep_for(settle);
  kill(child, SIGTERM);
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) Die("wait4 failed");

  const double ms = std::chrono::duration<double, std::milli>(mappedAt - start).count();
  std::printf("%.3f %ld\n", ms, usage.ru_maxrss);
  return 0;
}
