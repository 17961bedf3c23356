// The bounds of the files the tool reads (common/InputFile.h reads them).
#pragma once

#include <cstddef>

#include "common/InputFile.h"

namespace gantry::tool {

// the reader lives in common/, shared with the profile files; the tool's names stay
using gantry::InputFileResult;
using gantry::ReadInputFile;

// Far larger than any valid file of its kind: a .cfg of 200 points and 255
// addresses is under 4 KiB, its JSON form under 64 KiB, its CSV under 16 KiB.
inline constexpr std::size_t kMaxConfigurationFileBytes = 1024 * 1024;
// An update description is a few lines of text.
inline constexpr std::size_t kMaxDescriptionFileBytes = 64 * 1024;

}  // namespace gantry::tool
