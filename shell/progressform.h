// The progress window: the name of the file being extracted, a folder picture and the nine
// frames of the animation that MainForm's timer plays.
#pragma once

#include "platform/vcl/extctrls.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/stdctrls.h"

namespace shell {

/// The progress window, 233 x 115 client pixels, captioned "解凍中", with no close box.
/// Hidden when made; Close() (the form's own) ends the application while it is the main form.
class TPForm : public platform::TForm {
 public:
  explicit TPForm(platform::TComponent* Owner);

  platform::TLabel* lblFilename;  ///< the name of the item being extracted; cut at its width
  platform::TLabel* Label1;
  platform::TImage* imgFolder;
  /// Animation frames 0..8; only Image1 is visible at start.
  platform::TImage* Image1;
  platform::TImage* Image2;
  platform::TImage* Image3;
  platform::TImage* Image4;
  platform::TImage* Image5;
  platform::TImage* Image6;
  platform::TImage* Image7;
  platform::TImage* Image8;
  platform::TImage* Image9;
};

/// The one progress window; made only when the program has arguments.
extern TPForm* PForm;

}  // namespace shell
