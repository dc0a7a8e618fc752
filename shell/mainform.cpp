#include "shell/mainform.h"

#include <cerrno>
#include <cstring>
#include <memory>

#include "archive/archives.h"
#include "platform/mbcs.h"
#include "platform/winapi.h"
#include "shell/artwork/artwork.h"
#include "shell/progressform.h"

namespace shell {

using namespace platform;
using mbcs::AnsiLowerCase;
using mbcs::LastCharIs;
using mbcs::LastDelimiter;

TMainForm* MainForm = nullptr;

namespace {

const std::string kDelim(1, PathDelim);

/// The folder part of `path` with its final separator ("" when it has none).
std::string FolderOf(const std::string& path) {
  std::size_t delim = LastDelimiter(kDelim, path);
  return delim == std::string::npos ? std::string() : path.substr(0, delim + 1);
}

/// The extension of `path` from its last "." after the last separator, dot included.
std::string ExtensionOf(const std::string& path) {
  std::size_t dot = LastDelimiter("." + kDelim, path);
  if (dot == std::string::npos || path[dot] != '.') return std::string();
  return path.substr(dot);
}

/// Makes a child control of `parent` at its place; `owner` destroys it.
template <class T>
T* Place(TComponent* owner, TWinControl* parent, int left, int top, int width, int height,
         const std::string& caption = std::string()) {
  auto* control = new T(owner);
  control->SetParent(parent);
  control->SetBounds(left, top, width, height);
  if (!caption.empty()) control->SetCaption(caption);
  return control;
}

TURLLabel* PlaceLink(TComponent* owner, TWinControl* parent, int left, int top, int width,
                     const std::string& url, TColor color) {
  auto* link = Place<TURLLabel>(owner, parent, left, top, width, 12, url);
  link->Font().SetColor(color);
  link->SetTransparent(true);
  link->SetExecutable(true);
  return link;
}

}  // namespace

std::string ExpandLongPathName(const std::string& path) {
  // The root has no name in any folder, and a search for a name ending in a separator finds
  // nothing: both stay as written, without the final separator.
  const bool searchable = !path.empty() && !LastCharIs(path, PathDelim);
  TSearchRec rec;
  const bool found = searchable && FindFirst(path, faAnyFile, rec) == 0;
  const std::string name = rec.Name;
  FindClose(rec);
  if (!found) return searchable ? path : path.substr(0, path.empty() ? 0 : path.size() - 1);

  const std::size_t delim = LastDelimiter(kDelim, path);
  // A relative name without a folder part stays relative.
  if (delim == std::string::npos) return name;
  // The parent keeps its separator when that is the root's or follows another one.
  std::string parent = path.substr(0, delim);
  if (parent.empty() || LastCharIs(parent, PathDelim)) parent += PathDelim;
  return ExpandLongPathName(parent) + PathDelim + name;
}

TMainForm::TMainForm(TComponent* Owner, std::vector<std::string> Params)
    : TForm(Owner), Params_(std::move(Params)) {
  SetName("MainForm");
  SetBorderStyle(bsSingle);
  SetBorderIcons(biSystemMenu);
  SetPosition(poScreenCenter);
  SetClientWidth(393);
  SetClientHeight(325);
  SetCaption("ぷこんぱ");
  Font().SetName("ＭＳ Ｐゴシック");
  Font().SetCharset(SHIFTJIS_CHARSET);
  Font().SetHeight(12);
  Font().SetColor(clWindowText);

  PageControl1 = Place<TPageControl>(this, this, 8, 8, 377, 281);
  PageControl1->SetTabOrder(0);
  TabSheet4 = new TTabSheet(this);
  TabSheet4->SetPageControl(PageControl1);
  TabSheet4->SetCaption("バージョン情報");
  PageControl1->SetActivePage(TabSheet4);

  GroupBox4 = Place<TGroupBox>(this, TabSheet4, 8, 8, 353, 233, "pukonpa");
  Bevel1 = Place<TBevel>(this, GroupBox4, 16, 56, 321, 9);
  Bevel1->SetShape(bsBottomLine);
  Image1 = Place<TImage>(this, GroupBox4, 24, 24, 32, 32);
  Image1->SetPicture(artwork::ProgramIcon(32));
  Label1 = Place<TLabel>(this, GroupBox4, 72, 24, 245, 12, "ぷこんぱ for Windows95/98");
  Label2 = Place<TLabel>(this, GroupBox4, 72, 40, 36, 12, "第二版");
  Label3 = Place<TLabel>(this, GroupBox4, 72, 144, 95, 12, "プログラム: 同上");
  ProgrammerURL =
      PlaceLink(this, GroupBox4, 80, 160, 201, "https://pukonpa.example/", clBlue);
  ProgrammerMail =
      PlaceLink(this, GroupBox4, 80, 176, 109, "mailto:pukonpa", clGreen);
  ProgrammerMail->SetHotColor(clLime);
  Label6 = Place<TLabel>(this, GroupBox4, 72, 80, 173, 12, "画像: pukonpa プロジェクト");
  URLLabel1 = PlaceLink(this, GroupBox4, 80, 96, 162, "https://pukonpa.example/art", clBlue);
  Label7 = Place<TLabel>(this, GroupBox4, 72, 208, 217, 12,
                         "Copyright (C) 2026 pukonpa project");
  Label8 = Place<TLabel>(this, GroupBox4, 72, 112, 126, 12, "アイコン: 同上");
  URLLabel2 =
      PlaceLink(this, GroupBox4, 80, 128, 244, "https://pukonpa.example/icon", clBlue);
  Bevel2 = Place<TBevel>(this, GroupBox4, 24, 192, 321, 9);
  Bevel2->SetShape(bsBottomLine);

  Button2 = Place<TButton>(this, this, 296, 296, 89, 22, "閉じる");
  Button2->SetTabOrder(1);
  Button2->SetOnClick([this](TComponent* Sender) { Button2Click(Sender); });

  Timer1 = new TTimer(this);
  Timer1->SetEnabled(false);
  Timer1->SetInterval(200);
  Timer1->SetOnTimer([this](TComponent* Sender) { Timer1Timer(Sender); });

  try {
    FormCreate(this);
  } catch (...) {
    Application.HandleException(this);
  }
}

void TMainForm::FormCreate(TComponent*) {
  AnimationStep = 0;
  BatchDone = false;
  if (Params_.empty()) return;
  Frames = {PForm->Image1, PForm->Image2, PForm->Image3, PForm->Image4, PForm->Image5,
            PForm->Image6, PForm->Image7, PForm->Image8, PForm->Image9};

  // However the loop ends. Without an animation running nothing else would end the
  // process, so it ends as soon as the loop is over.
  struct LoopExit {
    TMainForm* form;
    ~LoopExit() {
      form->BatchDone = true;
      if (!form->Timer1->Enabled()) Application.Terminate();
    }
  } loopExit{this};

  for (const std::string& param : Params_) {
    CurrentFile = ExpandLongPathName(param);
    if (!FileExists(CurrentFile)) continue;
    PForm->Show();
    Timer1->SetEnabled(true);
    if (!SetCurrentDirectory(FolderOf(CurrentFile))) {
      const int code = errno;
      throw EInOutError("I/O error " + std::to_string(code), code);
    }
    const std::string ext = AnsiLowerCase(ExtensionOf(CurrentFile));
    if (ext == ".lzh" || ext == ".zip" || ext == ".cab") ExtractArchive();
  }
}

void TMainForm::ExtractArchive() {
  const std::string dir = FolderOf(CurrentFile);
  auto arc = std::make_unique<archive::TArchiveFile>(nullptr);
  arc->SetFileName(CurrentFile);
  arc->Options().x = 1;
  arc->SetOutputSize(8192);
  arc->Options().n = 0;
  arc->SetOnProgress([this](TComponent* Sender, int State, libapi::LPEXTRACTINGINFOEX lpEis,
                            bool& Abort) { ArchiveFileProgress(Sender, State, lpEis, Abort); });
  arc->Unpack(Handle(), nullptr, dir, nullptr);
}

void TMainForm::ArchiveFileProgress(TComponent*, int State, libapi::LPEXTRACTINGINFOEX lpEis,
                                    bool&) {
  if (State == 0) Application.ProcessMessages();
  if (lpEis) {
    const auto& name = lpEis->szSourceFileName;
    PForm->lblFilename->SetCaption(std::string(name, strnlen(name, sizeof name)));
  }
}

void TMainForm::Timer1Timer(TComponent*) {
  ++AnimationStep;
  if (AnimationStep == 12) {
    if (BatchDone) {
      Timer1->SetEnabled(false);
      PForm->Hide();
      PForm->Close();
    }
    AnimationStep = 0;
  }
  if (AnimationStep <= 8) {
    Frames[AnimationStep]->Show();
    Frames[AnimationStep == 0 ? 8 : AnimationStep - 1]->Hide();
  }
}

void TMainForm::Button2Click(TComponent*) { Close(); }

}  // namespace shell
