#pragma once
// The package in one pass: the LZMA-alone stream is decoded through a fixed window and the "HEN" container is
// read as its bytes come out, each entry's data handed on as it is decoded. Nothing holds the whole payload.
#include <cstddef>

#include "engine/package_archive.h"
#include "engine/package_bytes.h"
#include "engine/package_lzma.h"
#include "engine/package_result.h"

// Decodes `stream` and passes the container's entries to `sink`. Results are those of the whole-buffer
// readers: the header's codes, 9 for a container that does not start with "HEN", 27 for a bad name (before
// its entry begins), 26 for a container that ends early, 25 for a damaged or short stream. The stream is
// decoded to its end after the last entry too, so damage anywhere fails.
[[nodiscard]] PackageResult StreamPackage(ByteView stream, PackageSink& sink, size_t windowBytes = kPackageWindowBytes);
