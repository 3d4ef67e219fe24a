// The numbered messages of the extraction component and its fatal-error exception.
#pragma once

#include <stdexcept>
#include <string>

namespace kelvara::archive {

enum MessageId : int {
    kMsgBadFileHeader = 25114,
    kMsgBadBlock = 25116,
    kMsgErrorWritingFile = 25136,
    kMsgErrorClosingFile = 25138,
    kMsgFileFailsCrcCheck = 25151,
    kMsgDiskFull = 25160,
    kMsgFileNotFound = 25192,
    kMsgErrorOpeningFile = 25235,
    kMsgRequiredEventNotAssigned = 25270,
    kMsgAmbiguousTree = 25293,
    kMsgStackOverflow = 25299,
    kMsgUnsupportedMethod = 25326,
    kMsgUserCanceled = 25443,
    kMsgInvalidPassword = 26517,
    // The compressed data ended before the entry's declared size was decoded.
    kMsgUnexpectedEnd = 26895,
    // An entry name that climbs out of the target folder, or a folder on its way that is a
    // symbolic link: the entry is refused.
    kMsgUnsafeEntryPath = 26898,
};

// The string-table text of a message id ("" for an unknown id).
const char* MessageText(int id);

// A fatal error: raised after OnError was called with the same id.
class EArchiveFatal : public std::runtime_error {
  public:
    explicit EArchiveFatal(int id) : std::runtime_error(MessageText(id)), id_(id) {}
    int Id() const { return id_; }

  private:
    int id_;
};

}  // namespace kelvara::archive
