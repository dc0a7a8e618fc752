// The FLTK backend: one double-buffered window per form, the controls painted on it, and
// input queued and delivered to the forms after FLTK returns.
#pragma once

#include <memory>

#include "platform/vcl/backend.h"

namespace platform {

/// Maps a font family to its FLTK name: the leading blank marks a plain face (FLTK reads the
/// first character as a style: "B" bold, "I" italic, "P" both).
std::string FltkFontName(const std::string& family, unsigned style);

/// The fontconfig configuration that makes "ＭＳ Ｐゴシック" and "ＭＳ ゴシック" find the IPA
/// fonts with their metrics; loaded into the process before the first font is opened.
const char* FontAliasConfig();

}  // namespace platform
