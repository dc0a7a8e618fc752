#include "platform/vcl/headless_backend.h"

#include <algorithm>
#include <thread>

#include "platform/vcl/forms.h"

namespace platform {

namespace {

// Paints into nothing: the controls' drawing code still runs, so it is exercised headless.
class NullCanvas : public TCanvas {
 public:
  explicit NullCanvas(Backend& backend) : backend_(backend) {}
  TPoint TextExtent(const std::string& text, const TFont& font) override {
    return backend_.TextExtent(text, font);
  }

 protected:
  void DoFillRect(const TRect&, TColor) override {}
  void DoLine(int, int, int, int, TColor) override {}
  void DoTextOut(int, int, const std::string&, const TFont&, TColor) override {}
  void DoDraw(int, int, const TPicture&) override {}
  void DoPushClip(const TRect&) override {}
  void DoPopClip() override {}

 private:
  Backend& backend_;
};

}  // namespace

std::unique_ptr<Backend> MakeHeadlessBackend() { return std::make_unique<HeadlessBackend>(); }

void HeadlessBackend::FormShown(TForm& form) { Invalidate(form); }

void HeadlessBackend::FormDestroyed(TForm& form) {
  dirty_.erase(std::remove(dirty_.begin(), dirty_.end(), &form), dirty_.end());
}

void HeadlessBackend::Invalidate(TForm& form) {
  if (std::find(dirty_.begin(), dirty_.end(), &form) == dirty_.end()) dirty_.push_back(&form);
}

bool HeadlessBackend::BringToFront(TForm& form) { return form.Visible(); }

void HeadlessBackend::Pump(std::chrono::milliseconds maxWait) {
  // Nothing can arrive without a display: waiting is sleeping.
  if (maxWait.count() > 0) std::this_thread::sleep_for(maxWait);
  Flush();
}

void HeadlessBackend::Flush() {
  std::vector<TForm*> dirty;
  dirty.swap(dirty_);
  for (TForm* form : dirty) {
    if (!form->Visible()) continue;
    NullCanvas canvas(*this);
    form->PaintAll(canvas);
    ++paints_;
  }
}

TPoint HeadlessBackend::TextExtent(const std::string& text, const TFont& font) {
  const int h = font.Height();
  int width = 0, widest = 0, lines = 1;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char ch = static_cast<unsigned char>(text[i]);
    if (ch == '\n') {
      widest = std::max(widest, width);
      width = 0;
      ++lines;
    } else if (ch < 0x80) {
      width += h / 2;
    } else if ((ch & 0xC0) != 0x80) {
      width += h;  // the first byte of a multibyte character
    }
  }
  return TPoint{std::max(widest, width), lines * h};
}

}  // namespace platform
