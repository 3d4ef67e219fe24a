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
        case kMsgUnsafeEntryPath:
            return "Entry path leads outside the extraction folder";
        default:
            return "";
    }
}

}  // namespace kelvara::archive
