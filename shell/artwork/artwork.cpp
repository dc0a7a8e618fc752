#include "shell/artwork/artwork.h"

#include <array>
#include <string>

namespace artwork {

// The committed PNG files, embedded by the build.
const unsigned char* EmbeddedPng(const char* name, std::size_t& size);

namespace {

platform::TPicture Load(const std::string& name) {
  platform::TPicture picture;
  std::size_t size = 0;
  if (const unsigned char* data = EmbeddedPng(name.c_str(), size))
    picture.LoadFromPngData(data, size);
  return picture;
}

}  // namespace

const platform::TPicture& FolderPicture() {
  static const platform::TPicture folder = Load("folder.png");
  return folder;
}

const platform::TPicture& AnimationFrame(int index) {
  static const std::array<platform::TPicture, 9> frames = [] {
    std::array<platform::TPicture, 9> f;
    for (int i = 0; i < 9; ++i) f[std::size_t(i)] = Load("frame" + std::to_string(i) + ".png");
    return f;
  }();
  return frames[std::size_t(index >= 0 && index < 9 ? index : 0)];
}

const platform::TPicture& ProgramIcon(int size) {
  static const platform::TPicture icon32 = Load("icon32.png");
  static const platform::TPicture icon16 = Load("icon16.png");
  return size == 16 ? icon16 : icon32;
}

}  // namespace artwork
