// Starts the program without arguments and reports, in milliseconds from the start, when its
// window "ぷこんぱ" is mapped and when it has been drawn (holds more than 16 colours).
// Usage: startup_probe PROGRAM   (needs DISPLAY)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <thread>

extern char** environ;

namespace {

std::string WindowName(Display* dpy, Window w) {
  Atom utf8 = XInternAtom(dpy, "UTF8_STRING", False);
  Atom netName = XInternAtom(dpy, "_NET_WM_NAME", False);
  Atom type;
  int format;
  unsigned long n, after;
  unsigned char* data = nullptr;
  std::string name;
  if (XGetWindowProperty(dpy, w, netName, 0, 256, False, utf8, &type, &format, &n, &after,
                         &data) == Success && data) {
    name.assign(reinterpret_cast<char*>(data), n);
    XFree(data);
  }
  return name;
}

std::size_t Colours(Display* dpy, Window w) {
  XWindowAttributes a;
  if (!XGetWindowAttributes(dpy, w, &a)) return 0;
  XImage* img = XGetImage(dpy, w, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
  if (!img) return 0;
  std::set<unsigned long> seen;
  for (int y = 0; y < a.height; y += 2)
    for (int x = 0; x < a.width; x += 2) seen.insert(XGetPixel(img, x, y));
  XDestroyImage(img);
  return seen.size();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s PROGRAM\n", argv[0]);
    return 2;
  }
  Display* dpy = XOpenDisplay(nullptr);
  if (!dpy) {
    std::fprintf(stderr, "no display\n");
    return 1;
  }
  XSelectInput(dpy, DefaultRootWindow(dpy), SubstructureNotifyMask);
  XSync(dpy, False);
  using clock = std::chrono::steady_clock;
  auto ms = [](clock::time_point a, clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
  };
  const auto start = clock::now();
  pid_t pid = 0;
  char* args[] = {argv[1], nullptr};
  if (posix_spawn(&pid, argv[1], nullptr, nullptr, args, environ) != 0) return 1;

  Window win = 0;
  clock::time_point mapped;
  while (!win) {
    XEvent e;
    XNextEvent(dpy, &e);
    if (e.type == MapNotify && WindowName(dpy, e.xmap.window) == "ぷこんぱ") {
      mapped = clock::now();
      win = e.xmap.window;
    }
    if (ms(start, clock::now()) > 10000) break;
  }
  double drawn = -1;
  while (win && ms(start, clock::now()) < 10000) {
    if (Colours(dpy, win) > 16) {
      drawn = ms(start, clock::now());
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  if (!win) return 1;
  std::printf("%.1f %.1f\n", ms(start, mapped), drawn);
  return 0;
}
