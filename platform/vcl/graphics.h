// Colours, fonts, pictures and the canvas that controls paint on.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/classes.h"
#include "platform/winapi.h"

namespace platform {

/// A colour as 0x00BBGGRR, or a system colour (high bit set) resolved by ColorToRGB.
using TColor = std::int32_t;

/// Makes a colour from its red, green and blue parts (0..255).
constexpr TColor RGB(int r, int g, int b) {
  return TColor((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(TColor c) { return c & 0xFF; }
constexpr int GetGValue(TColor c) { return (c >> 8) & 0xFF; }
constexpr int GetBValue(TColor c) { return (c >> 16) & 0xFF; }

constexpr TColor clBlack = RGB(0, 0, 0);
constexpr TColor clWhite = RGB(255, 255, 255);
constexpr TColor clRed = RGB(255, 0, 0);
constexpr TColor clLime = RGB(0, 255, 0);
constexpr TColor clBlue = RGB(0, 0, 255);
constexpr TColor clGreen = RGB(0, 128, 0);
constexpr TColor clAqua = RGB(0, 255, 255);
constexpr TColor clGray = RGB(128, 128, 128);
constexpr TColor clSilver = RGB(192, 192, 192);
// System colours: resolved when drawn.
constexpr TColor clWindowText = TColor(0x80000008u);
constexpr TColor clWindow = TColor(0x80000005u);
constexpr TColor clBtnFace = TColor(0x8000000Fu);
constexpr TColor clBtnShadow = TColor(0x80000010u);
constexpr TColor clBtnText = TColor(0x80000012u);
constexpr TColor clBtnHighlight = TColor(0x80000014u);
constexpr TColor cl3DDkShadow = TColor(0x80000015u);

/// The RGB value of a colour; system colours become their fixed values here.
TColor ColorToRGB(TColor color);

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4 };
using TFontStyles = unsigned;
constexpr std::uint8_t DEFAULT_CHARSET = 1;
constexpr std::uint8_t SHIFTJIS_CHARSET = 128;

/// A font: family name, character height in pixels, colour, style and character set.
/// Starts as "ＭＳ Ｐゴシック", height 12, clWindowText.
class TFont : public TPersistent {
 public:
  TFont();
  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);
  /// Character height in pixels (positive).
  int Height() const { return height_; }
  void SetHeight(int height);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles style);
  std::uint8_t Charset() const { return charset_; }
  void SetCharset(std::uint8_t charset);
  /// Copies another TFont's settings (one change notification).
  void Assign(const TPersistent& source) override;
  /// Called after a setter actually changes the font; setting an equal value is silent.
  void SetOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }
  bool operator==(const TFont& other) const;

 private:
  void Changed();
  std::string name_;
  int height_;
  TColor color_;
  TFontStyles style_ = 0;
  std::uint8_t charset_ = DEFAULT_CHARSET;
  std::function<void()> onChange_;
};

/// A picture: RGBA pixels (8 bits each, straight alpha, rows top to bottom). Alpha 0 is
/// transparent.
class TPicture : public TPersistent {
 public:
  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  /// width*height*4 bytes.
  const std::vector<std::uint8_t>& Pixels() const { return pixels_; }
  /// Replaces the contents; `rgba` must hold width*height*4 bytes (else the picture empties).
  void SetPixels(int width, int height, std::vector<std::uint8_t> rgba);
  /// Decodes a PNG held in memory; false (picture unchanged) when it is not a readable PNG.
  bool LoadFromPngData(const void* data, std::size_t size);
  /// Reads a PNG file; false when it cannot be read.
  bool LoadFromFile(const std::string& path);
  void Assign(const TPersistent& source) override;
  /// Changes whenever the contents change and differs between pictures (0: never set); lets
  /// a backend cache what it made of them.
  std::uint64_t Generation() const { return generation_; }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint8_t> pixels_;
  std::uint64_t generation_ = 0;
};

/// A rectangle; Right and Bottom lie just outside it.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
};
/// True when `p` lies inside `r` (Right and Bottom excluded).
bool PtInRect(const TRect& r, const TPoint& p);
/// Rect(left, top, right, bottom).
inline TRect Rect(int l, int t, int r, int b) { return TRect{l, t, r, b}; }

/// A drawing surface. Coordinates are relative to the current origin; drawing is cut to the
/// current clip rectangle. Backends implement the Do... primitives in absolute coordinates.
class TCanvas {
 public:
  virtual ~TCanvas() = default;
  void FillRect(const TRect& r, TColor color);
  /// A line from (x1,y1) to (x2,y2), both ends included.
  void Line(int x1, int y1, int x2, int y2, TColor color);
  /// Text with its top-left corner at (x, y), in `font`; lines split at '\n'.
  void TextOut(int x, int y, const std::string& text, const TFont& font);
  /// Width and height of `text` in `font`.
  virtual TPoint TextExtent(const std::string& text, const TFont& font) = 0;
  /// Draws `picture` at its own size with its transparency.
  void Draw(int x, int y, const TPicture& picture);
  /// Moves the origin by (dx, dy) and narrows the clip to `r` (in the new coordinates) until
  /// the matching Pop.
  void Push(int dx, int dy, const TRect& r);
  void Pop();

 protected:
  virtual void DoFillRect(const TRect& r, TColor rgb) = 0;
  virtual void DoLine(int x1, int y1, int x2, int y2, TColor rgb) = 0;
  virtual void DoTextOut(int x, int y, const std::string& text, const TFont& font,
                         TColor rgb) = 0;
  virtual void DoDraw(int x, int y, const TPicture& picture) = 0;
  virtual void DoPushClip(const TRect& r) = 0;
  virtual void DoPopClip() = 0;

 private:
  struct Frame {
    int dx, dy;
  };
  std::vector<Frame> frames_;
  int dx_ = 0;
  int dy_ = 0;
};

}  // namespace platform
