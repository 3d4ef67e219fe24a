// Enumerations of the extraction component's properties.
#pragma once

namespace kelvara::archive {

enum TArcType { atNA, atUnknown, atZip, atZipExe, atZipDS, atZipMV, atJar, atJarExe };
enum TDateAttribute { daFileDate, daSysDate, daMaxFileDate };
enum TOverwriteMode { omOverwrite, omSkip };
enum TCpuType { cptAuto, cpt80286, cpt80386, cpt80486 };

// Directory status bits set while locating the central directory.
enum DirectoryStatus : unsigned char {
    kLocalHeaderFound = 1,
    kCentralDirectoryFound = 2,
    kEndRecordFound = 4,
    kZip64LocatorFound = 8,
    kZip64EndRecordFound = 16,
};

inline bool IsZipType(TArcType t) {
    return t == atZip || t == atZipExe || t == atJar || t == atJarExe;
}
inline bool IsJarType(TArcType t) {
    return t == atJar || t == atJarExe;
}

}  // namespace kelvara::archive
