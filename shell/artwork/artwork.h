// The program's pictures: the open folder, the nine frames of the progress animation and the
// program icon. Link the CMake target pukonpa_artwork (defined by platform/vcl's build, so it
// exists whenever the window layer does).
#pragma once

#include "platform/vcl/graphics.h"

namespace artwork {

/// The open folder, 32x32 with transparency.
const platform::TPicture& FolderPicture();
/// Frame `index` (0..8) of the animation, 32x32: a ball rising out of the folder along an arc
/// (0..5; 0 and 5 are the same picture), then bursting open (6..8). Out of range: frame 0.
const platform::TPicture& AnimationFrame(int index);
/// The program icon at `size` 32 or 16 (any other size: 32).
const platform::TPicture& ProgramIcon(int size);

}  // namespace artwork
