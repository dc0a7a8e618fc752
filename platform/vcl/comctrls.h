// Page control with its tab sheets.
#pragma once

#include "platform/vcl/controls.h"

namespace platform {

class TPageControl;

/// One page of a page control; its caption is the tab's text. Sized by its page control.
class TTabSheet : public TWinControl {
 public:
  explicit TTabSheet(TComponent* owner);
  ~TTabSheet() override;
  TPageControl* PageControl() const { return pageControl_; }
  /// Adds the sheet to `pc` as its last page (and makes it the sheet's parent).
  void SetPageControl(TPageControl* pc);
  int PageIndex() const;
  void Paint(TCanvas& canvas) override;

 private:
  friend class TPageControl;
  TPageControl* pageControl_ = nullptr;
};

/// Tabs along the top and the active page below them. The first page added becomes active.
class TPageControl : public TWinControl {
 public:
  explicit TPageControl(TComponent* owner);
  ~TPageControl() override;
  int PageCount() const { return int(pages_.size()); }
  TTabSheet* Pages(int index) const { return pages_.at(std::size_t(index)); }
  TTabSheet* ActivePage() const { return active_; }
  /// Shows `page` (one of ours) and hides the others.
  void SetActivePage(TTabSheet* page);
  /// Where the pages sit: below the tabs, inside the frame.
  TRect PageRect() const;
  /// The tab of page `index`, in the page control's coordinates.
  TRect TabRect(int index) const;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void Paint(TCanvas& canvas) override;

 protected:
  void BoundsChanged() override;
  void FontChanged() override;

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  void PlacePages();
  std::vector<TTabSheet*> pages_;
  TTabSheet* active_ = nullptr;
};

}  // namespace platform
