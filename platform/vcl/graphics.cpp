#include "platform/vcl/graphics.h"

#include <FL/Fl_PNG_Image.H>

#include <atomic>
#include <fstream>
#include <iterator>

namespace platform {

TColor ColorToRGB(TColor color) {
  if (color >= 0) return color;
  // The classic desktop scheme: the windows are drawn as their designers saw them.
  switch (std::uint32_t(color)) {
    case 0x80000005u: return clWhite;                // clWindow
    case 0x80000008u: return clBlack;                // clWindowText
    case 0x8000000Fu: return RGB(192, 192, 192);     // clBtnFace
    case 0x80000010u: return RGB(128, 128, 128);     // clBtnShadow
    case 0x80000012u: return clBlack;                // clBtnText
    case 0x80000014u: return clWhite;                // clBtnHighlight
    case 0x80000015u: return clBlack;                // cl3DDkShadow
    default: return clBlack;
  }
}

TFont::TFont() : name_("ＭＳ Ｐゴシック"), height_(12), color_(clWindowText) {}

void TFont::Changed() {
  if (onChange_) onChange_();
}

void TFont::SetName(const std::string& name) {
  if (name == name_) return;
  name_ = name;
  Changed();
}

void TFont::SetHeight(int height) {
  if (height == height_) return;
  height_ = height;
  Changed();
}

void TFont::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed();
}

void TFont::SetStyle(TFontStyles style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}

void TFont::SetCharset(std::uint8_t charset) {
  if (charset == charset_) return;
  charset_ = charset;
  Changed();
}

bool TFont::operator==(const TFont& o) const {
  return name_ == o.name_ && height_ == o.height_ && color_ == o.color_ && style_ == o.style_ &&
         charset_ == o.charset_;
}

void TFont::Assign(const TPersistent& source) {
  auto* f = dynamic_cast<const TFont*>(&source);
  if (!f) return TPersistent::Assign(source);
  if (*f == *this) return;
  name_ = f->name_;
  height_ = f->height_;
  color_ = f->color_;
  style_ = f->style_;
  charset_ = f->charset_;
  Changed();
}

void TPicture::SetPixels(int width, int height, std::vector<std::uint8_t> rgba) {
  if (width <= 0 || height <= 0 || rgba.size() != std::size_t(width) * height * 4) {
    width = height = 0;
    rgba.clear();
  }
  width_ = width;
  height_ = height;
  pixels_ = std::move(rgba);
  // Unique across pictures, so a backend can key its caches on it alone.
  static std::atomic<std::uint64_t> counter{0};
  generation_ = ++counter;
}

bool TPicture::LoadFromPngData(const void* data, std::size_t size) {
  Fl_PNG_Image png(nullptr, static_cast<const unsigned char*>(data), int(size));
  if (png.fail() || png.w() <= 0 || png.h() <= 0 || png.count() < 1) return false;
  const int w = png.w(), h = png.h(), d = png.d();
  const int ld = png.ld() ? png.ld() : w * d;
  auto* src = reinterpret_cast<const std::uint8_t*>(png.data()[0]);
  std::vector<std::uint8_t> out(std::size_t(w) * h * 4);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const std::uint8_t* p = src + y * ld + x * d;
      std::uint8_t* q = &out[(std::size_t(y) * w + x) * 4];
      // PNG decodes to grey, grey+alpha, RGB or RGBA.
      q[0] = p[0];
      q[1] = d >= 3 ? p[1] : p[0];
      q[2] = d >= 3 ? p[2] : p[0];
      q[3] = d == 4 ? p[3] : d == 2 ? p[1] : 255;
    }
  }
  SetPixels(w, h, std::move(out));
  return true;
}

bool TPicture::LoadFromFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return !bytes.empty() && LoadFromPngData(bytes.data(), bytes.size());
}

void TPicture::Assign(const TPersistent& source) {
  auto* p = dynamic_cast<const TPicture*>(&source);
  if (!p) return TPersistent::Assign(source);
  if (p == this) return;
  SetPixels(p->width_, p->height_, p->pixels_);
}

bool PtInRect(const TRect& r, const TPoint& p) {
  return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}

void TCanvas::FillRect(const TRect& r, TColor color) {
  if (r.Width() <= 0 || r.Height() <= 0) return;
  DoFillRect(Rect(r.Left + dx_, r.Top + dy_, r.Right + dx_, r.Bottom + dy_), ColorToRGB(color));
}

void TCanvas::Line(int x1, int y1, int x2, int y2, TColor color) {
  DoLine(x1 + dx_, y1 + dy_, x2 + dx_, y2 + dy_, ColorToRGB(color));
}

void TCanvas::TextOut(int x, int y, const std::string& text, const TFont& font) {
  if (!text.empty()) DoTextOut(x + dx_, y + dy_, text, font, ColorToRGB(font.Color()));
}

void TCanvas::Draw(int x, int y, const TPicture& picture) {
  if (!picture.Empty()) DoDraw(x + dx_, y + dy_, picture);
}

void TCanvas::Push(int dx, int dy, const TRect& r) {
  frames_.push_back({dx_, dy_});
  dx_ += dx;
  dy_ += dy;
  DoPushClip(Rect(r.Left + dx_, r.Top + dy_, r.Right + dx_, r.Bottom + dy_));
}

void TCanvas::Pop() {
  if (frames_.empty()) return;
  DoPopClip();
  dx_ = frames_.back().dx;
  dy_ = frames_.back().dy;
  frames_.pop_back();
}

}  // namespace platform
