// The about window, which is also the batch controller: with arguments its creation runs the
// whole batch of extractions, and its timer plays the progress window's animation.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "archive/archiver_types.h"
#include "platform/vcl/comctrls.h"
#include "platform/vcl/extctrls.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/stdctrls.h"
#include "shell/urllabel.h"

namespace shell {

class TMainForm : public platform::TForm {
 public:
  /// Builds the about window (393 x 325 client pixels, hidden), then runs FormCreate; an
  /// exception from it goes to the application's error display. `Params` are the program's
  /// arguments, absolute paths; PForm must exist when there are any.
  TMainForm(platform::TComponent* Owner, std::vector<std::string> Params);

  /// With arguments: extracts each existing ".lzh", ".zip" or ".cab" file (any case) into its
  /// own folder, in order, showing PForm from the first existing file on. Missing files,
  /// folders and other files are skipped silently; an exception ends the loop and passes on.
  /// BatchDone is true afterwards. When no argument named an existing file, the application
  /// is told to terminate at once.
  void FormCreate(platform::TComponent* Sender);
  /// Extracts CurrentFile into its own folder; the library's result is ignored.
  void ExtractArchive();
  /// Progress handler: state 0 processes pending messages; the record's name goes to
  /// PForm's lblFilename. Never asks to abort.
  void ArchiveFileProgress(platform::TComponent* Sender, int State,
                           libapi::LPEXTRACTINGINFOEX lpEis, bool& Abort);
  /// One animation tick: advances the twelve-step cycle; at the cycle end with BatchDone,
  /// stops the timer, hides and closes PForm.
  void Timer1Timer(platform::TComponent* Sender);
  /// Closes the about window.
  void Button2Click(platform::TComponent* Sender);

  /// The argument being processed, after ExpandLongPathName.
  std::string CurrentFile;
  /// Tick of the animation cycle, 0..11.
  int AnimationStep = 0;
  /// True once the batch loop is over, however it ended.
  bool BatchDone = false;
  /// PForm's Image1..Image9 (batch mode only).
  std::array<platform::TImage*, 9> Frames{};

  // The about window's controls, in creation order; Timer1 drives PForm's animation.

  platform::TPageControl* PageControl1;
  platform::TTabSheet* TabSheet4;
  platform::TGroupBox* GroupBox4;
  platform::TBevel* Bevel1;
  platform::TImage* Image1;
  platform::TLabel* Label1;
  platform::TLabel* Label2;
  platform::TLabel* Label3;
  TURLLabel* ProgrammerURL;
  TURLLabel* ProgrammerMail;
  platform::TLabel* Label6;
  TURLLabel* URLLabel1;
  platform::TLabel* Label7;
  platform::TLabel* Label8;
  TURLLabel* URLLabel2;
  platform::TBevel* Bevel2;
  platform::TButton* Button2;
  platform::TTimer* Timer1;

 private:
  std::vector<std::string> Params_;
};

/// The one about window and batch controller.
extern TMainForm* MainForm;

/// `path` with each component replaced by the name a directory search returns for it
/// (wildcards become the first match); a path the search does not find comes back unchanged,
/// but without a final "/". The recursion ends at the root "/", which stays as written.
std::string ExpandLongPathName(const std::string& path);

}  // namespace shell
