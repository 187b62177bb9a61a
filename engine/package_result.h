#pragma once
// Result codes of package extraction. 1 is success; every other value names what stopped it.

enum PackageResult : int {
  kPackageOk = 1,                    // every entry written
  kPackageNoTempFolder = 4,          // the temporary folder can't be determined
  kPackageNoTempName = 5,            // one of the three temporary names can't be made
  kPackageCopyNotCreated = 7,        // the copy of the resource can't be created
  kPackageContainerNotReopened = 8,  // the decompressed container can't be reopened
  kPackageBadMagic = 9,              // the container doesn't start with "HEN"
  kPackageEntryNotCreated = 14,      // an entry's output file can't be created (or its path would be too long)

  // Checks of untrusted bytes and of steps that had no code of their own.
  kPackageNoResource = 20,        // no PACKAGE/105 in the module: there is nothing to decode
  kPackageBadHeader = 21,         // shorter than the 13-byte LZMA header: no size to trust
  kPackageBadProperties = 22,     // properties byte 225 or more, or lc + lp above 4: the decoder can't honour it
  kPackageUnknownSize = 23,       // all-ones size marker: we decode into one buffer of the declared size
  kPackageTooLarge = 24,          // declared size or dictionary above the caps: bounds what a header can allocate
  kPackageDecodeFailed = 25,      // damaged stream or fewer bytes than declared: files would come out cut short
  kPackageTruncated = 26,         // a header, name or data size runs past the end of the container
  kPackageBadName = 27,           // an entry name that could leave the extraction folder or open a device
  kPackageNoMemory = 28,          // a buffer for the stream or the container couldn't be allocated
  kPackageFolderNotCreated = 29,  // the extraction folder couldn't be made fresh (someone took the name first)
  kPackageTempFileFailed = 30,    // a temporary file couldn't be written, reopened or read back whole
  kPackageEntryWriteFailed = 31,  // an entry's bytes couldn't all be written (disk full, for one)
};
