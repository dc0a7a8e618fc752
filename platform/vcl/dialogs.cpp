#include "platform/vcl/dialogs.h"

#include <algorithm>
#include <cmath>

#include "platform/vcl/backend.h"
#include "platform/vcl/extctrls.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/stdctrls.h"

namespace platform {

namespace {

class TMessageForm : public TForm {
 public:
  TMessageForm(const std::string& text, const std::string& caption, bool stopIcon)
      : TForm(nullptr, false) {
    SetCaption(caption);
    SetBorderStyle(bsDialog);
    SetBorderIcons(biSystemMenu);
    SetPosition(poScreenCenter);
    const int margin = 12;
    int textLeft = margin;
    int bodyHeight = 0;
    if (stopIcon) {
      auto* icon = new TImage(this);
      icon->SetParent(this);
      icon->SetBounds(margin, margin, 32, 32);
      icon->SetPicture(StopIcon());
      textLeft = margin + 32 + margin;
      bodyHeight = 32;
    }
    TPoint ext = Application.GetBackend().TextExtent(text, Font());
    auto* label = new TLabel(this);
    label->SetParent(this);
    label->SetTransparent(true);
    label->SetCaption(text);
    const int labelTop = margin + std::max(0, (bodyHeight - ext.Y) / 2);
    label->SetBounds(textLeft, labelTop, ext.X + 2, ext.Y);
    bodyHeight = std::max(bodyHeight, labelTop - margin + ext.Y);
    const int width = std::max(textLeft + ext.X + 2 + margin * 2, 75 + margin * 4);
    auto* ok = new TButton(this);
    ok->SetParent(this);
    ok->SetCaption("OK");
    ok->SetModalResult(mrOk);
    ok->SetBounds((width - 75) / 2, margin + bodyHeight + margin, 75, 23);
    SetDefaultButton(ok);
    SetCancelButton(ok);
    SetClientWidth(width);
    SetClientHeight(ok->Top() + ok->Height() + margin);
  }
};

TPicture MakeStopIcon() {
  // A red disc with a dark rim and a white cross, drawn at 4x4 samples per pixel.
  const int n = 32, s = 4;
  std::vector<std::uint8_t> px(std::size_t(n) * n * 4);
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      double r = 0, g = 0, b = 0, a = 0;
      for (int sy = 0; sy < s; ++sy) {
        for (int sx = 0; sx < s; ++sx) {
          const double fx = x + (sx + 0.5) / s - 16, fy = y + (sy + 0.5) / s - 16;
          const double d = std::sqrt(fx * fx + fy * fy);
          if (d > 15) continue;
          const double u = (fx + fy) / std::sqrt(2.0), v = (fx - fy) / std::sqrt(2.0);
          const bool cross = (std::fabs(u) < 2.2 && std::fabs(v) < 8.5) ||
                             (std::fabs(v) < 2.2 && std::fabs(u) < 8.5);
          if (cross) {
            r += 255, g += 255, b += 255;
          } else if (d > 13.6) {
            r += 128, g += 0, b += 0;
          } else {
            const double shade = 1.0 - 0.25 * (fy + 16) / 32;  // lighter at the top
            r += 235 * shade, g += 20 * shade, b += 20 * shade;
          }
          a += 1;
        }
      }
      std::uint8_t* p = &px[(std::size_t(y) * n + x) * 4];
      if (a > 0) {
        p[0] = std::uint8_t(r / a), p[1] = std::uint8_t(g / a), p[2] = std::uint8_t(b / a);
      }
      p[3] = std::uint8_t(255 * a / (s * s));
    }
  }
  TPicture pic;
  pic.SetPixels(n, n, std::move(px));
  return pic;
}

}  // namespace

const TPicture& StopIcon() {
  static const TPicture icon = MakeStopIcon();
  return icon;
}

int ShowMessageForm(const std::string& text, const std::string& caption, UINT flags) {
  TMessageForm form(text, caption, (flags & MB_ICONSTOP) != 0);
  form.ShowModal();
  return 1;
}

}  // namespace platform
