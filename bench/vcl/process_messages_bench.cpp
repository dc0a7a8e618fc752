// What one progress notification costs the window layer: a new caption on the progress
// window's label and one ProcessMessages, with the animation timer running. Headless by
// default; run with a display (e.g. under xvfb-run) to measure the FLTK backend as well.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/vcl/extctrls.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/stdctrls.h"

namespace {

using namespace platform;

void ProgressUpdate(benchmark::State& state, TBackendKind kind) {
  Application.Initialize(kind);
  if (kind == TBackendKind::Fltk && Application.Headless()) {
    state.SkipWithError("no display");
    return;
  }
  TForm form(nullptr);
  form.SetClientWidth(233);
  form.SetClientHeight(115);
  form.SetPosition(poScreenCenter);
  auto* label = new TLabel(&form);
  label->SetParent(&form);
  label->SetBounds(8, 96, 217, 17);
  label->SetTransparent(true);
  auto* timer = new TTimer(&form);
  timer->SetInterval(200);
  int ticks = 0;
  timer->SetOnTimer([&](TComponent*) { ++ticks; });
  form.Show();
  Application.ProcessMessages();
  std::string name = "folder/subfolder/file-000000.txt";
  long i = 0;
  for (auto _ : state) {
    name.replace(name.size() - 10, 6, std::to_string(100000 + (i++ % 900000)));
    label->SetCaption(name);
    Application.ProcessMessages();
  }
  state.counters["ticks"] = ticks;
}

BENCHMARK_CAPTURE(ProgressUpdate, headless, TBackendKind::Headless);
BENCHMARK_CAPTURE(ProgressUpdate, fltk, TBackendKind::Fltk)->MinTime(1.0);

}  // namespace
