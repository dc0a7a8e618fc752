#include "shell/progressform.h"

#include "shell/artwork/artwork.h"

namespace shell {

using namespace platform;

TPForm* PForm = nullptr;

namespace {

TImage* MakeImage(TPForm* form, int left, int top, const TPicture& picture, bool visible) {
  auto* image = new TImage(form);
  image->SetParent(form);
  image->SetBounds(left, top, 32, 32);
  image->SetPicture(picture);
  image->SetVisible(visible);
  return image;
}

}  // namespace

TPForm::TPForm(TComponent* Owner) : TForm(Owner) {
  SetName("PForm");
  SetBorderStyle(bsDialog);
  SetBorderIcons(0);
  SetPosition(poScreenCenter);
  SetClientWidth(233);
  SetClientHeight(115);
  SetCaption("解凍中");
  Font().SetName("ＭＳ Ｐゴシック");
  Font().SetCharset(SHIFTJIS_CHARSET);
  Font().SetHeight(12);
  Font().SetColor(clWindowText);

  // Creation order is stacking order: later controls lie above earlier ones.
  lblFilename = new TLabel(this);
  lblFilename->SetParent(this);
  lblFilename->SetBounds(8, 96, 217, 17);
  lblFilename->SetTransparent(true);

  Label1 = new TLabel(this);
  Label1->SetParent(this);
  Label1->SetBounds(8, 80, 89, 12);
  Label1->SetCaption("解凍中のファイル");
  Label1->SetTransparent(true);

  imgFolder = MakeImage(this, 8, 24, artwork::FolderPicture(), true);
  Image1 = MakeImage(this, 24, 8, artwork::AnimationFrame(0), true);
  Image2 = MakeImage(this, 56, 0, artwork::AnimationFrame(1), false);
  Image3 = MakeImage(this, 88, 8, artwork::AnimationFrame(2), false);
  Image4 = MakeImage(this, 120, 16, artwork::AnimationFrame(3), false);
  Image5 = MakeImage(this, 152, 24, artwork::AnimationFrame(4), false);
  Image6 = MakeImage(this, 168, 24, artwork::AnimationFrame(5), false);
  Image7 = MakeImage(this, 176, 32, artwork::AnimationFrame(6), false);
  Image8 = MakeImage(this, 176, 32, artwork::AnimationFrame(7), false);
  Image9 = MakeImage(this, 176, 32, artwork::AnimationFrame(8), false);
}

}  // namespace shell
