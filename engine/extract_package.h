#pragma once
// Unpacks the package resource into a fresh temporary folder, the extraction folder.
#include <windows.h>

#include <string>

#include "engine/package_bytes.h"
#include "engine/package_result.h"

inline constexpr wchar_t kPackageResourceType[] = L"PACKAGE";
inline constexpr WORD kPackageResourceId = 105;

// Decodes "PACKAGE"/105 of `module` (the running program when null) where the loader mapped it and writes every
// entry into a folder that this call creates under the temporary folder, in one pass with memory flat in the
// package's size. `extractionFolder` is cleared first and set, with a trailing backslash, as soon as that folder
// exists, so the caller can delete it whatever the result; it is never set to a folder this call did not
// create. A package rejected part-way leaves none of its entries behind.
PackageResult ExtractPackage(std::wstring& extractionFolder, HMODULE module = nullptr);

// The same from the bytes of a package stream instead of the resource.
PackageResult ExtractPackage(std::wstring& extractionFolder, ByteView stream);
