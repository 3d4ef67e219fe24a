#include "archive/archive_messages.h"

namespace kelvara::archive {

const char* MessageText(int id) {
    switch (id) {
        case kMsgBadFileHeader:
            return "Bad file header";
        case kMsgBadBlock:
            return "Bad block";
        case kMsgErrorWritingFile:
            return "Error writing to file";
        case kMsgErrorClosingFile:
            return "Error closing file";
        case kMsgFileFailsCrcCheck:
            return "File fails CRC check";
        case kMsgDiskFull:
            return "Disk full";
        case kMsgFileNotFound:
            return "File not found";
        case kMsgErrorOpeningFile:
            return "Error opening file";
        case kMsgRequiredEventNotAssigned:
            return "Required event not assigned";
        case kMsgAmbiguousTree:
            return "Ambiguous Shannon-Fano decode tree encountered";
        case kMsgStackOverflow:
            return "Stack overflow";
        case kMsgUnsupportedMethod:
            return "Unsupported compression method";
        case kMsgUserCanceled:
            return "User canceled";
        case kMsgInvalidPassword:
            return "Invalid password";
        case kMsgUnexpectedEnd:
            return "Unexpected end of compressed data";
        case kMsgNameNotAccepted:
            return "Entry name not accepted by the file system";
        case kMsgNotEnoughSpace:
            return "Not enough free space: N bytes needed, M available";
        case kMsgOverlappingEntries:
            return "Overlapping entries (possible archive bomb)";
        case kMsgUnsafeEntryPath:
            return "Entry path leads outside the extraction folder";
        default:
            return "";
    }
}

bool MessageTakesValues(int id) {
    return id == kMsgNotEnoughSpace;
}

std::string FormatMessage(int id, const std::string& text1, const std::string& text2) {
    if (id == kMsgNotEnoughSpace)
        return "Not enough free space: " + text1 + " bytes needed, " + text2 + " available";
    return MessageText(id);
}

}  // namespace kelvara::archive
