// Writing a self-extracting file: a stub program followed by an archive, byte for byte.
#pragma once

#include <string>

namespace archive {

/// Writes `output` as the bytes of `stub` followed by the bytes of `archive`. The archive is
/// opened first, then a temporary file beside `output`, then the stub; the temporary file is
/// renamed onto `output` only when complete, so a failure leaves any existing `output`
/// untouched and no partial file behind. Raises platform::EFOpenError (an input cannot be
/// opened), EFCreateError (the temporary file cannot be made) or EWriteError.
void WriteSelfExtractor(const std::string& stub, const std::string& archive,
                        const std::string& output);

}  // namespace archive
