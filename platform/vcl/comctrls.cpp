#include "platform/vcl/comctrls.h"

#include <algorithm>

#include "platform/vcl/backend.h"
#include "platform/vcl/forms.h"

namespace platform {

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {}

TTabSheet::~TTabSheet() {
  if (pageControl_) pageControl_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* pc) {
  if (pc == pageControl_) return;
  if (pageControl_) pageControl_->RemovePage(this);
  pageControl_ = pc;
  SetParent(pc);
  if (pc) pc->InsertPage(this);
}

int TTabSheet::PageIndex() const {
  if (!pageControl_) return -1;
  const auto& pages = pageControl_->pages_;
  return int(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::Paint(TCanvas& canvas) { canvas.FillRect(ClientRect(), Color()); }

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 289, 193);
}

TPageControl::~TPageControl() {
  // The pages are destroyed after us (with the held controls): let them forget us first.
  for (TTabSheet* p : pages_) p->pageControl_ = nullptr;
  pages_.clear();
  active_ = nullptr;
}

void TPageControl::InsertPage(TTabSheet* page) {
  pages_.push_back(page);
  PlacePages();
  if (!active_)
    SetActivePage(page);
  else
    page->SetVisible(false);
}

void TPageControl::RemovePage(TTabSheet* page) {
  pages_.erase(std::remove(pages_.begin(), pages_.end(), page), pages_.end());
  if (active_ == page) {
    active_ = nullptr;
    if (!pages_.empty()) SetActivePage(pages_.front());
  }
  Invalidate();
}

void TPageControl::SetActivePage(TTabSheet* page) {
  if (page && page->PageControl() != this) return;
  active_ = page;
  for (TTabSheet* p : pages_) p->SetVisible(p == active_);
  Invalidate();
}

static int TabHeight(const TFont& font) { return font.Height() + 8; }

TRect TPageControl::PageRect() const {
  const int top = TabHeight(Font()) + 4;
  return Rect(4, top, std::max(4, Width() - 4), std::max(top, Height() - 4));
}

TRect TPageControl::TabRect(int index) const {
  int x = 2;
  const int h = TabHeight(Font());
  for (int i = 0; i < PageCount(); ++i) {
    int w = Application.GetBackend().TextExtent(pages_[std::size_t(i)]->Caption(), Font()).X + 12;
    if (i == index) return Rect(x, 2, x + w, 2 + h);
    x += w;
  }
  return Rect(0, 0, 0, 0);
}

void TPageControl::PlacePages() {
  TRect r = PageRect();
  for (TTabSheet* p : pages_) p->SetBounds(r.Left, r.Top, r.Width(), r.Height());
}

void TPageControl::BoundsChanged() { PlacePages(); }

void TPageControl::FontChanged() {
  TWinControl::FontChanged();
  PlacePages();
}

void TPageControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TWinControl::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  for (int i = 0; i < PageCount(); ++i)
    if (PtInRect(TabRect(i), {x, y})) SetActivePage(pages_[std::size_t(i)]);
}

void TPageControl::Paint(TCanvas& c) {
  c.FillRect(ClientRect(), Color());
  const int top = TabHeight(Font()) + 2;
  const int r = Width() - 1, b = Height() - 1;
  // The raised frame around the page area.
  c.Line(0, top, r - 1, top, clBtnHighlight);
  c.Line(0, top, 0, b - 1, clBtnHighlight);
  c.Line(1, b - 1, r - 1, b - 1, clBtnShadow);
  c.Line(r - 1, top + 1, r - 1, b - 1, clBtnShadow);
  c.Line(0, b, r, b, cl3DDkShadow);
  c.Line(r, top, r, b, cl3DDkShadow);
  for (int i = 0; i < PageCount(); ++i) {
    TRect t = TabRect(i);
    const bool active = pages_[std::size_t(i)] == active_;
    if (active) t = Rect(t.Left - 2, t.Top - 2, t.Right + 2, t.Bottom + 1);
    c.FillRect(Rect(t.Left, t.Top, t.Right, t.Bottom), Color());
    c.Line(t.Left, t.Top + 2, t.Left, t.Bottom - 1, clBtnHighlight);
    c.Line(t.Left + 1, t.Top + 1, t.Left + 1, t.Top + 1, clBtnHighlight);
    c.Line(t.Left + 2, t.Top, t.Right - 3, t.Top, clBtnHighlight);
    c.Line(t.Right - 2, t.Top + 1, t.Right - 2, t.Bottom - 1, clBtnShadow);
    c.Line(t.Right - 1, t.Top + 2, t.Right - 1, t.Bottom - 1, cl3DDkShadow);
    const std::string& text = pages_[std::size_t(i)]->Caption();
    TPoint ext = c.TextExtent(text, Font());
    c.TextOut(t.Left + (t.Width() - ext.X) / 2, t.Top + (t.Height() - ext.Y) / 2, text, Font());
  }
}

}  // namespace platform
