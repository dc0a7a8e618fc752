// Self-extracting files: finding the stub, naming the result, and writing the stub program
// followed by an archive, byte for byte.
#pragma once

#include <string>

namespace archive {

/// Full path of a stub file found by platform::SearchPath; empty when it is not found or its
/// path does not fit the 512-byte path buffer of the original call.
std::string FindSelfExtractorStub(const std::string& fileName);

/// Where a self-extractor made from `archive` goes: its name with the extension ".EXE", in
/// `dir` when that is not empty, else beside the archive.
std::string SelfExtractorName(const std::string& archive, const std::string& dir);

/// Writes `output` as the bytes of `stub` followed by the bytes of `archive`. The archive is
/// opened first, then a temporary file beside `output`, then the stub; the temporary file is
/// renamed onto `output` only when complete, so a failure leaves any existing `output`
/// untouched and no partial file behind. Raises platform::EFOpenError (an input cannot be
/// opened), EFCreateError (the temporary file cannot be made) or EWriteError.
void WriteSelfExtractor(const std::string& stub, const std::string& archive,
                        const std::string& output);

}  // namespace archive
