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
    // An entry name the file system cannot take (a component or the whole path too long, or not
    // valid UTF-8), or a stored name that had to be shortened.
    kMsgNameNotAccepted = 26894,
    // The compressed data ended before the entry's declared size was decoded.
    kMsgUnexpectedEnd = 26895,
    // The entries selected for extraction do not fit on the target's file system; the report
    // carries the bytes needed (first text) and available (second text).
    kMsgNotEnoughSpace = 26896,
    // Entries whose records share bytes with one another or with the central directory: the
    // whole archive is refused.
    kMsgOverlappingEntries = 26897,
    // An entry name that climbs out of the target folder, or a folder on its way that is a
    // symbolic link: the entry is refused.
    kMsgUnsafeEntryPath = 26898,
};

// The string-table text of a message id ("" for an unknown id).
const char* MessageText(int id);

// True for a message whose text takes values from the report's two texts (26896).
bool MessageTakesValues(int id);
// The text of a report as a reader sees it: MessageText(id), with the values of a message that
// takes them filled in from the report's texts (26896: text1 bytes needed, text2 available).
std::string FormatMessage(int id, const std::string& text1, const std::string& text2);

// A fatal error: raised after OnError was called with the same id.
class EArchiveFatal : public std::runtime_error {
  public:
    explicit EArchiveFatal(int id) : std::runtime_error(MessageText(id)), id_(id) {}
    // With the report's text already filled in.
    EArchiveFatal(int id, const std::string& text) : std::runtime_error(text), id_(id) {}
    int Id() const { return id_; }

  private:
    int id_;
};

}  // namespace kelvara::archive
