// The embedded pictures decode, have their sizes and transparency, and the animation's
// frames 0 and 5 are the same picture.
#include "shell/artwork/artwork.h"

#include <gtest/gtest.h>

namespace {

bool HasTransparentAndOpaquePixels(const platform::TPicture& p) {
  bool clear = false, solid = false;
  for (std::size_t i = 3; i < p.Pixels().size(); i += 4) {
    clear |= p.Pixels()[i] == 0;
    solid |= p.Pixels()[i] == 255;
  }
  return clear && solid;
}

TEST(Artwork, EveryPictureHasItsSizeAndTransparentParts) {
  const struct {
    const char* name;
    const platform::TPicture& picture;
    int size;
  } cases[] = {
      {"folder", artwork::FolderPicture(), 32},   {"frame 0", artwork::AnimationFrame(0), 32},
      {"frame 1", artwork::AnimationFrame(1), 32}, {"frame 2", artwork::AnimationFrame(2), 32},
      {"frame 3", artwork::AnimationFrame(3), 32}, {"frame 4", artwork::AnimationFrame(4), 32},
      {"frame 5", artwork::AnimationFrame(5), 32}, {"frame 6", artwork::AnimationFrame(6), 32},
      {"frame 7", artwork::AnimationFrame(7), 32}, {"frame 8", artwork::AnimationFrame(8), 32},
      {"icon 32", artwork::ProgramIcon(32), 32},   {"icon 16", artwork::ProgramIcon(16), 16},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.picture.Width(), c.size) << c.name;
    EXPECT_EQ(c.picture.Height(), c.size) << c.name;
    EXPECT_TRUE(HasTransparentAndOpaquePixels(c.picture)) << c.name;
  }
}

TEST(Artwork, FramesZeroAndFiveAreTheSameAndTheOthersDiffer) {
  EXPECT_EQ(artwork::AnimationFrame(0).Pixels(), artwork::AnimationFrame(5).Pixels());
  for (int i = 1; i < 9; ++i) {
    if (i == 5) continue;
    EXPECT_NE(artwork::AnimationFrame(i).Pixels(), artwork::AnimationFrame(i - 1).Pixels())
        << "frame " << i;
  }
}

}  // namespace
