// Times the batch of one archive as the program runs it, with the progress window on a
// display or headless: from the start of the batch to its end, in milliseconds.
// Usage: batch_time display|headless ARCHIVE
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/vcl/forms.h"
#include "shell/mainform.h"
#include "shell/progressform.h"

int main(int argc, char** argv) {
  using namespace platform;
  if (argc != 3 || (std::strcmp(argv[1], "display") && std::strcmp(argv[1], "headless"))) {
    std::fprintf(stderr, "usage: %s display|headless ARCHIVE\n", argv[0]);
    return 2;
  }
  const bool display = std::strcmp(argv[1], "display") == 0;
  Application.Initialize(display ? TBackendKind::Fltk : TBackendKind::Headless);
  if (display == Application.Headless()) {
    std::fprintf(stderr, "no display\n");
    return 1;
  }
  Application.SetTitle("ぷこんぱ");
  Application.SetShowMainForm(false);
  shell::PForm = new shell::TPForm(&Application);
  const auto start = std::chrono::steady_clock::now();
  shell::MainForm = new shell::TMainForm(&Application, {argv[2]});
  const auto end = std::chrono::steady_clock::now();
  std::printf("%.1f\n", std::chrono::duration<double, std::milli>(end - start).count());
  return 0;
}
