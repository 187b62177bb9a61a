#pragma once
// Unpacks the package resource into a fresh temporary folder, the extraction folder.
#include <windows.h>

#include <string>

#include "engine/package_bytes.h"
#include "engine/package_result.h"
#include "framework/base/handles.h"

inline constexpr wchar_t kPackageResourceType[] = L"PACKAGE";
inline constexpr WORD kPackageResourceId = 105;

// Decodes "PACKAGE"/105 of `module` (the running program when null) where the loader mapped it and writes every
// entry into a folder that this call creates in ExtractionParent(), in one pass with memory flat in the
// package's size. `extractionFolder` is cleared first and set, with a trailing backslash, as soon as that folder
// exists, so the caller can delete it whatever the result; it is never set to a folder this call did not
// create. A package rejected part-way leaves none of its entries behind.
// `hold` is the folder opened without delete sharing from the moment it exists: while the caller keeps it,
// nobody can rename or delete the folder and put another in its place. Keep it until the folder is deleted
// (deleteTree with the hold); without it, the folder is held only while this call runs.
PackageResult ExtractPackage(std::wstring& extractionFolder, UniqueHandle& hold, HMODULE module = nullptr);
PackageResult ExtractPackage(std::wstring& extractionFolder, HMODULE module = nullptr);

// The same from the bytes of a package stream instead of the resource.
PackageResult ExtractPackage(std::wstring& extractionFolder, UniqueHandle& hold, ByteView stream);
PackageResult ExtractPackage(std::wstring& extractionFolder, ByteView stream);

// Where extraction folders are made under `windowsFolder`: its SystemTemp where that is a folder on a volume that
// keeps security descriptors, else its Temp on the same terms; with a trailing backslash, empty when neither
// qualifies. Users may create entries there but not rename or delete other users' ones. A FAT volume keeps no
// descriptors, so anyone could change anything on it.
std::wstring ExtractionParentIn(const std::wstring& windowsFolder);

// ExtractionParentIn the machine's Windows folder (%SystemRoot%).
std::wstring ExtractionParent();

// Makes a new "kel<hex>.tmp" folder in `parent` (with its trailing backslash) that only SYSTEM and the
// administrators may change, and holds it as ExtractPackage does. A name that exists already is passed over for
// the next one, counting from `firstNumber` (0: from the clock). `folder` gets the path with a trailing
// backslash. kPackageNoTempFolder: the parent can't be opened; kPackageNoTempName: no name left;
// kPackageFolderNotCreated: the folder can't be made, or what was made fails the checks.
PackageResult CreateExtractionFolder(const std::wstring& parent, std::wstring& folder, UniqueHandle& hold,
                                     unsigned firstNumber = 0);
