#include "platform/vcl/fltk_backend.h"

#include <chrono>
#include <deque>
#include <map>
#include <vector>

#include "platform/vcl/forms.h"
// FLTK and X11 last: X11 defines macros (None, Bool, Status) that our headers must not see.
#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xatom.h>
#include <fontconfig/fontconfig.h>

namespace platform {

std::string FltkFontName(const std::string& family, unsigned style) {
  const bool bold = style & fsBold, italic = style & fsItalic;
  const char prefix = bold && italic ? 'P' : bold ? 'B' : italic ? 'I' : ' ';
  return std::string(1, prefix) + family;
}

const char* FontAliasConfig() {
  return R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <alias binding="same"><family>ＭＳ Ｐゴシック</family><prefer><family>IPAPGothic</family></prefer></alias>
  <alias binding="same"><family>MS PGothic</family><prefer><family>IPAPGothic</family></prefer></alias>
  <alias binding="same"><family>ＭＳ ゴシック</family><prefer><family>IPAGothic</family></prefer></alias>
  <alias binding="same"><family>MS UI Gothic</family><prefer><family>IPAPGothic</family></prefer></alias>
</fontconfig>
)";
}

namespace {

class FltkBackend;

struct InputEvent {
  enum Kind { Move, Down, Up, Exit, Key, Close } kind;
  TForm* form;
  TMouseButton button;
  int x, y, key;
  TShiftState shift;
};

TShiftState ShiftState() {
  const int s = Fl::event_state();
  TShiftState r = 0;
  if (s & FL_SHIFT) r |= ssShift;
  if (s & FL_ALT) r |= ssAlt;
  if (s & FL_CTRL) r |= ssCtrl;
  if (s & FL_BUTTON1) r |= ssLeft;
  if (s & FL_BUTTON2) r |= ssMiddle;
  if (s & FL_BUTTON3) r |= ssRight;
  return r;
}

TMouseButton EventButton() {
  switch (Fl::event_button()) {
    case FL_RIGHT_MOUSE: return mbRight;
    case FL_MIDDLE_MOUSE: return mbMiddle;
    default: return mbLeft;
  }
}

Fl_Color FlColor(TColor rgb) {
  return fl_rgb_color(uchar(GetRValue(rgb)), uchar(GetGValue(rgb)), uchar(GetBValue(rgb)));
}

class FltkCanvas : public TCanvas {
 public:
  explicit FltkCanvas(FltkBackend& backend) : backend_(backend) {}
  TPoint TextExtent(const std::string& text, const TFont& font) override;

 protected:
  void DoFillRect(const TRect& r, TColor rgb) override {
    fl_rectf(r.Left, r.Top, r.Width(), r.Height(), FlColor(rgb));
  }
  void DoLine(int x1, int y1, int x2, int y2, TColor rgb) override {
    fl_color(FlColor(rgb));
    if (x1 == x2 && y1 == y2)
      fl_point(x1, y1);
    else
      fl_line(x1, y1, x2, y2);
  }
  void DoTextOut(int x, int y, const std::string& text, const TFont& font,
                 TColor rgb) override;
  void DoDraw(int x, int y, const TPicture& picture) override;
  void DoPushClip(const TRect& r) override { fl_push_clip(r.Left, r.Top, r.Width(), r.Height()); }
  void DoPopClip() override { fl_pop_clip(); }

 private:
  FltkBackend& backend_;
};

// A form's window: paints the form's controls and queues what the user does.
class FormWindow : public Fl_Double_Window {
 public:
  FormWindow(FltkBackend& backend, TForm& form);
  void draw() override;
  int handle(int event) override;
  void resize(int x, int y, int w, int h) override;

 private:
  FltkBackend& backend_;
  TForm& form_;
};

class FltkBackend : public Backend {
 public:
  FltkBackend() = default;
  ~FltkBackend() override {
    for (auto& [form, win] : windows_) delete win;
  }

  bool Headless() const override { return false; }

  void FormShown(TForm& form) override {
    FormWindow* win = WindowOf(form, true);
    Apply(form, *win);
    win->show();
    ApplyDecorations(form, *win);
  }
  void FormHidden(TForm& form) override {
    if (FormWindow* win = WindowOf(form, false)) win->hide();
  }
  void FormChanged(TForm& form) override {
    if (FormWindow* win = WindowOf(form, false)) {
      Apply(form, *win);
      if (win->shown()) ApplyDecorations(form, *win);
    }
  }
  void FormDestroyed(TForm& form) override {
    auto it = windows_.find(&form);
    if (it != windows_.end()) {
      delete it->second;
      windows_.erase(it);
    }
    for (auto e = queue_.begin(); e != queue_.end();)
      e = e->form == &form ? queue_.erase(e) : e + 1;
  }
  void Invalidate(TForm& form) override {
    if (FormWindow* win = WindowOf(form, false)) win->redraw();
  }
  bool BringToFront(TForm& form) override {
    FormWindow* win = WindowOf(form, false);
    if (!win || !win->shown() || !form.Visible()) return false;
    win->show();  // on a shown window: raises it
    return true;
  }
  void IconChanged() override {
    icons_.clear();
    for (const TPicture& p : Application.Icon())
      if (!p.Empty()) icons_.push_back(MakeImage(p));
    std::vector<const Fl_RGB_Image*> list = IconImages();
    Fl_Window::default_icons(list.data(), int(list.size()));
    for (auto& [form, win] : windows_) win->icons(list.data(), int(list.size()));
  }

  void Pump(std::chrono::milliseconds maxWait) override {
    const auto now = std::chrono::steady_clock::now();
    if (maxWait.count() > 0) {
      Fl::wait(double(maxWait.count()) / 1000.0);
    } else if (now - lastCheck_ >= kPaintInterval) {
      // A flood of progress notifications calls this thousands of times a second: looking
      // for input and drawing at most once per interval keeps each call cheap.
      Fl::check();
    } else {
      return;
    }
    lastCheck_ = now;
    Deliver();
    Fl::flush();
  }
  void Flush() override { Fl::flush(); }

  TPoint CursorPos() override {
    TPoint p;
    Fl::get_mouse(p.X, p.Y);
    return p;
  }
  void SetCursorPos(const TPoint& p) override {
    XWarpPointer(fl_display, 0L, RootWindow(fl_display, fl_screen), 0, 0, 0, 0, p.X, p.Y);
    XFlush(fl_display);
  }
  TPoint ScreenSize() override { return TPoint{Fl::w(), Fl::h()}; }
  TPoint TextExtent(const std::string& text, const TFont& font) override {
    UseFont(font);
    int lines = 1, widest = 0;
    std::size_t start = 0;
    for (;;) {
      std::size_t end = text.find('\n', start);
      std::string_view line(text.data() + start,
                            (end == std::string::npos ? text.size() : end) - start);
      widest = std::max(widest, int(fl_width(line.data(), int(line.size())) + 0.5));
      if (end == std::string::npos) break;
      start = end + 1;
      ++lines;
    }
    return TPoint{widest, lines * fl_height()};
  }

  /// Selects `font` for drawing and measuring.
  void UseFont(const TFont& font) {
    // FLTK's font table is the process's, as is this map (a backend made again must not hand
    // out an index twice: FLTK would keep drawing with the font it cached for it).
    static auto* fonts = new std::map<std::string, Fl_Font>;
    const std::string name = FltkFontName(font.Name(), font.Style());
    auto it = fonts->find(name);
    if (it == fonts->end()) {
      // FLTK keeps the pointer: the name must live as long as the process.
      const Fl_Font index = Fl_Font(FL_FREE_FONT + int(fonts->size()));
      Fl::set_font(index, (new std::string(name))->c_str());
      it = fonts->emplace(name, index).first;
    }
    fl_font(it->second, font.Height());
  }

  /// The FLTK image of a picture, made once per picture contents.
  Fl_RGB_Image* Image(const TPicture& p) {
    auto it = images_.find(p.Generation());
    if (it == images_.end()) {
      if (images_.size() > 256) images_.clear();
      it = images_.emplace(p.Generation(), MakeImage(p)).first;
    }
    return it->second.image.get();
  }

  void Enqueue(const InputEvent& e) { queue_.push_back(e); }

 private:
  struct CachedImage {
    std::vector<std::uint8_t> pixels;  // the image points into these
    std::unique_ptr<Fl_RGB_Image> image;
  };
  static CachedImage MakeImage(const TPicture& p) {
    CachedImage c;
    c.pixels = p.Pixels();
    c.image = std::make_unique<Fl_RGB_Image>(c.pixels.data(), p.Width(), p.Height(), 4);
    return c;
  }

  // The application's icons in the form FLTK takes them.
  std::vector<const Fl_RGB_Image*> IconImages() const {
    std::vector<const Fl_RGB_Image*> list;
    for (const CachedImage& c : icons_) list.push_back(c.image.get());
    return list;
  }

  FormWindow* WindowOf(TForm& form, bool create) {
    auto it = windows_.find(&form);
    if (it != windows_.end()) return it->second;
    if (!create) return nullptr;
    auto* win = new FormWindow(*this, form);
    std::vector<const Fl_RGB_Image*> list = IconImages();
    if (!list.empty()) win->icons(list.data(), int(list.size()));
    windows_[&form] = win;
    return win;
  }

  static void Apply(TForm& form, FormWindow& win) {
    win.copy_label(form.Caption().c_str());
    if (win.x() != form.Left() || win.y() != form.Top() || win.w() != form.Width() ||
        win.h() != form.Height())
      win.resize(form.Left(), form.Top(), std::max(1, form.Width()), std::max(1, form.Height()));
    const bool sizeable = form.BorderStyle() == bsSizeable || form.BorderStyle() == bsSizeToolWin;
    if (!sizeable) win.size_range(win.w(), win.h(), win.w(), win.h());
    if (form.BorderStyle() == bsNone) win.border(0);
  }

  // Tells the window manager which caption-bar buttons the form has (the Motif hints that
  // window managers read): a dialog without a system menu gets no close box.
  static void ApplyDecorations(TForm& form, FormWindow& win) {
    Window xid = fl_xid(&win);
    if (!xid) return;
    const bool sysMenu = form.BorderIcons() & biSystemMenu;
    const bool dialog = form.BorderStyle() == bsDialog || form.BorderStyle() == bsSingle;
    long hints[5] = {1 | 2, 0, 0, 0, 0};  // functions and decorations given
    hints[1] = 4 /*move*/ | (sysMenu ? 32 /*close*/ : 0);
    hints[2] = 2 /*border*/ | 8 /*title*/ | (sysMenu ? 16 /*menu*/ : 0);
    if (!dialog) {
      if (form.BorderIcons() & biMinimize) hints[1] |= 8, hints[2] |= 32;
      if (form.BorderIcons() & biMaximize) hints[1] |= 16 | 2, hints[2] |= 64 | 4;
    }
    Atom motif = XInternAtom(fl_display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(fl_display, xid, motif, motif, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(hints), 5);
  }

  // Delivers queued input to the forms, outside FLTK's handlers (a handler may open a
  // modal window or destroy the form).
  void Deliver() {
    while (!queue_.empty()) {
      InputEvent e = queue_.front();
      queue_.pop_front();
      TForm& f = *e.form;
      switch (e.kind) {
        case InputEvent::Move: f.HandleMouseMove(e.x, e.y, e.shift); break;
        case InputEvent::Down: f.HandleMouseDown(e.button, e.x, e.y, e.shift); break;
        case InputEvent::Up: f.HandleMouseUp(e.button, e.x, e.y, e.shift); break;
        case InputEvent::Exit: f.HandleMouseExit(); break;
        case InputEvent::Key: f.HandleKey(e.key); break;
        case InputEvent::Close: f.HandleCloseRequest(); break;
      }
      UpdateCursor(e.form);
    }
  }

  void UpdateCursor(TForm* form) {
    FormWindow* win = WindowOf(*form, false);  // the form may be gone
    if (!win || !win->shown()) return;
    TControl* hot = form->HotControl();
    win->cursor(hot && hot->Cursor() == crHandPoint ? FL_CURSOR_HAND : FL_CURSOR_DEFAULT);
  }

  static constexpr std::chrono::milliseconds kPaintInterval{20};
  std::chrono::steady_clock::time_point lastCheck_;
  std::map<TForm*, FormWindow*> windows_;
  std::deque<InputEvent> queue_;
  std::map<std::uint64_t, CachedImage> images_;
  std::vector<CachedImage> icons_;
};

TPoint FltkCanvas::TextExtent(const std::string& text, const TFont& font) {
  return backend_.TextExtent(text, font);
}

void FltkCanvas::DoTextOut(int x, int y, const std::string& text, const TFont& font,
                           TColor rgb) {
  backend_.UseFont(font);
  fl_color(FlColor(rgb));
  const int lineHeight = fl_height(), ascent = fl_height() - fl_descent();
  std::size_t start = 0;
  for (int line = 0;; ++line) {
    std::size_t end = text.find('\n', start);
    const std::size_t len = (end == std::string::npos ? text.size() : end) - start;
    const int top = y + line * lineHeight;
    fl_draw(text.data() + start, int(len), x, top + ascent);
    if (font.Style() & fsUnderline)
      fl_line(x, top + ascent + 1, x + int(fl_width(text.data() + start, int(len))), top + ascent + 1);
    if (end == std::string::npos) break;
    start = end + 1;
  }
}

void FltkCanvas::DoDraw(int x, int y, const TPicture& picture) {
  backend_.Image(picture)->draw(x, y);
}

FormWindow::FormWindow(FltkBackend& backend, TForm& form)
    : Fl_Double_Window(form.Left(), form.Top(), std::max(1, form.Width()),
                       std::max(1, form.Height())),
      backend_(backend),
      form_(form) {
  end();
  xclass("pukonpa");
  // The close box asks the form; the form decides (a dialog without a system menu ignores it).
  callback([](Fl_Widget*, void* data) {
    auto* self = static_cast<FormWindow*>(data);
    self->backend_.Enqueue({InputEvent::Close, &self->form_, mbLeft, 0, 0, 0, 0});
  }, this);
}

void FormWindow::draw() {
  FltkCanvas canvas(backend_);
  form_.PaintAll(canvas);
}

// The window manager may place or move the window: the form follows, so that its screen
// coordinates (ScreenToClient, ClientOrigin) stay true.
void FormWindow::resize(int x, int y, int w, int h) {
  Fl_Double_Window::resize(x, y, w, h);
  if (form_.Left() != x || form_.Top() != y)
    form_.SetBounds(x, y, form_.Width(), form_.Height());
}

int FormWindow::handle(int event) {
  const int x = Fl::event_x(), y = Fl::event_y();
  switch (event) {
    case FL_PUSH:
      backend_.Enqueue({InputEvent::Down, &form_, EventButton(), x, y, 0, ShiftState()});
      return 1;
    case FL_RELEASE:
      backend_.Enqueue({InputEvent::Up, &form_, EventButton(), x, y, 0, ShiftState()});
      return 1;
    case FL_ENTER:
    case FL_MOVE:
    case FL_DRAG:
      backend_.Enqueue({InputEvent::Move, &form_, mbLeft, x, y, 0, ShiftState()});
      return 1;  // answering FL_ENTER is what makes FL_LEAVE arrive
    case FL_LEAVE:
      backend_.Enqueue({InputEvent::Exit, &form_, mbLeft, x, y, 0, ShiftState()});
      return 1;
    case FL_FOCUS:
    case FL_UNFOCUS:
      return 1;
    case FL_KEYBOARD:
    case FL_SHORTCUT: {
      const int k = Fl::event_key();
      const int key = k == FL_Enter || k == FL_KP_Enter ? '\r' : k == FL_Escape ? 27 : 0;
      if (!key) return 0;
      backend_.Enqueue({InputEvent::Key, &form_, mbLeft, x, y, key, ShiftState()});
      return 1;
    }
    default:
      return Fl_Double_Window::handle(event);
  }
}

}  // namespace

std::unique_ptr<Backend> MakeFltkBackend() {
  // Showing a window without a display ends the process inside FLTK: look first. FLTK has
  // one display per process, opened once.
  static Display* display = [] {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return d;
    FcInit();
    FcConfigParseAndLoadFromMemory(FcConfigGetCurrent(),
                                   reinterpret_cast<const FcChar8*>(FontAliasConfig()), FcTrue);
    fl_open_display(d);
    return d;
  }();
  if (!display) return nullptr;
  return std::make_unique<FltkBackend>();
}

}  // namespace platform
