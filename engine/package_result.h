#pragma once
// Result codes of package extraction. 1 is success; every other value names what stopped it.

enum PackageResult : int {
  kPackageOk = 1,                    // every entry written
  kPackageNoTempFolder = 4,          // the temporary folder can't be determined
  kPackageNoTempName = 5,            // the extraction folder's name can't be made
  kPackageCopyNotCreated = 7,        // no longer produced: the resource is decoded where it is mapped
  kPackageContainerNotReopened = 8,  // no longer produced: the container is never written out
  kPackageBadMagic = 9,              // the container doesn't start with "HEN"
  kPackageEntryNotCreated = 14,      // an entry's output file can't be created (or its path would be too long)

  // Checks of untrusted bytes and of steps that had no code of their own.
  kPackageNoResource = 20,        // no PACKAGE/105 in the module: there is nothing to decode
  kPackageBadHeader = 21,         // shorter than the 13-byte LZMA header: no size to trust
  kPackageBadProperties = 22,     // properties byte 225 or more, or lc + lp above 4: the decoder can't honour it
  kPackageUnknownSize = 23,       // all-ones size marker: a sized stream is what the packer writes
  kPackageTooLarge = 24,          // dictionary (or one-buffer size) above its cap: bounds what a header can allocate
  kPackageDecodeFailed = 25,      // damaged stream or fewer bytes than declared: files would come out cut short
  kPackageTruncated = 26,         // a header, name or data size runs past the end of the container
  kPackageBadName = 27,           // an entry name that could leave the extraction folder or open a device
  kPackageNoMemory = 28,          // the decoder or its window couldn't be allocated
  kPackageFolderNotCreated = 29,  // the extraction folder couldn't be made fresh (someone took the name first)
  kPackageTempFileFailed = 30,    // no longer produced: nothing goes through temporary files
  kPackageEntryWriteFailed = 31,  // an entry's bytes couldn't all be written (disk full, for one)
};
