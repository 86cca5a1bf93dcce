#pragma once

// File identity now lives in the file-system layer (fs/file_entry.h); these names stay for the
// code not yet moved onto it (the duplicate search).

#include "file_entry.h"

namespace orvane {

using fs::FileId;
using fs::FileIdHash;
using fs::fileIdOf;
using fs::stampOf;

} // namespace orvane
