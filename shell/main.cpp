// pukonpa: extracts the archives given as arguments, each into its own folder; without
// arguments it shows its about window.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/vcl/forms.h"
#include "platform/winapi.h"
#include "shell/artwork/artwork.h"
#include "shell/mainform.h"
#include "shell/progressform.h"

int main(int argc, char** argv) {
  using namespace platform;
  Application.Initialize();
  Application.SetTitle("ぷこんぱ");
  Application.SetIcon({artwork::ProgramIcon(32), artwork::ProgramIcon(16)});

  // The batch changes the current folder, so relative arguments are taken against the
  // folder we started in, now.
  std::vector<std::string> params;
  const std::string start = GetCurrentDirectory();
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (!arg.empty() && arg[0] != PathDelim)
      arg = start + (start.ends_with(PathDelim) ? "" : std::string(1, PathDelim)) + arg;
    params.push_back(std::move(arg));
  }

  // Without a display the about window could be neither seen nor closed: say so and end,
  // rather than wait for ever.
  if (params.empty() && Application.Headless()) {
    std::fputs("ぷこんぱ: 画面を開けないため、バージョン情報を表示できません。\n", stderr);
    return 1;
  }
  if (!params.empty()) {
    Application.SetShowMainForm(false);
    shell::PForm = new shell::TPForm(&Application);
  }
  shell::MainForm = new shell::TMainForm(&Application, std::move(params));
  Application.Run();
  return 0;
}
