// Turning the bytes of a text file into lines of UTF-16 text: the byte-order mark picks the
// encoding (UTF-16 LE/BE, UTF-8); without one, the bytes are UTF-8 when they are valid UTF-8 and
// Windows-1251 otherwise (both decoded by the platform's code-page layer). Lines end at CR, LF
// or U+2028; CR LF is one break.
//
// Loading stays within a memory budget, checked before the memory is taken:
//  - reading and decoding hold the file's bytes and its UTF-16 text at once, at most
//    kDecodeBytesPerFileByte (3) bytes per file byte, as no encoding gives more than one UTF-16
//    unit per byte; checked from the file's size before reading (and, for a file whose size is
//    not known in advance, against the bytes read so far);
//  - the loaded lines hold the UTF-16 text and one record of kLineRecordBytes (16) per line;
//    checked from the decoded text before the records are allocated.
// The budget is half the machine's physical memory; the other half is left to the system and
// the rest of the program. A text also holds at most kMaxTextUnits UTF-16 units and
// kMaxTextLines lines (the line store's offsets and the view's line numbers). A file beyond any
// of these limits is refused with TextFileTooLargeError; nothing already loaded is lost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "textview/line_break_scan.h"

namespace kelvara::textview {

enum class TextEncoding { Utf16LittleEndian, Utf16BigEndian, Utf8, EightBit };
enum class LineBreakKind { Dos, Unix, Mac, Unicode };

// A file that cannot be opened or read: "Cannot open file "<path>". <reason>".
class TextFileOpenError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// UTF-16 text whose byte count is odd: "Number of chars must be a multiple of 2".
class TextEncodingError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A file too large to load within the limits above: "File "<path>" (<size> bytes) is too large
// to load: <why>".
class TextFileTooLargeError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

constexpr std::uint64_t kDecodeBytesPerFileByte = 3;
constexpr std::uint64_t kLineRecordBytes = 16;
constexpr std::uint64_t kMaxTextUnits = 0xFFFFFFFFu;
constexpr std::uint64_t kMaxTextLines = 0x7FFFFFFF;

// Half the machine's physical memory.
std::uint64_t TextMemoryBudget();
// Throws TextFileTooLargeError, naming the file and its size, when a decoded text of `units`
// UTF-16 units in `lines` lines cannot be held as lines within `budget` bytes.
void CheckTextFits(const std::string& path, std::uint64_t fileSize, std::uint64_t units,
                   std::uint64_t lines, std::uint64_t budget);

// One line inside a contiguous text buffer.
struct TextLineSpan {
    size_t start = 0;
    size_t length = 0;
};

// The whole decoded text in one buffer (line breaks included) and where each line lies in it.
// This is the form that avoids one heap object per line for large files.
struct DecodedText {
    std::u16string text;
    std::vector<TextLineSpan> lines;
    TextEncoding encoding = TextEncoding::EightBit;
    LineBreakKind lineBreak = LineBreakKind::Dos;

    std::u16string_view Line(size_t index) const {
        return std::u16string_view(text).substr(lines[index].start, lines[index].length);
    }
};

// The same content with one string per line, for callers that prefer it.
struct TextFileContents {
    std::vector<std::u16string> lines;
    TextEncoding encoding = TextEncoding::EightBit;
    LineBreakKind lineBreak = LineBreakKind::Dos;
};

// Decodes the characters only (no splitting); `encoding` receives what the bytes held.
std::u16string DecodeCharacters(std::string_view bytes, TextEncoding& encoding);

// Splits text into lines, calling onLine(start, length) for each: a break is at most one
// U+2028, then at most one CR, then at most one LF; a text ending in a break gets a last, empty
// line; an empty text has no lines. Zero characters are ordinary characters. Returns the kind of
// line break seen.
template <class OnLine>
LineBreakKind ForEachLine(std::u16string_view text, OnLine&& onLine) {
    constexpr char16_t kLineSeparator = kLineSeparatorChar;
    bool sawCr = false, sawLf = false, sawSeparator = false;
    const size_t n = text.size();
    const char16_t* s = text.data();
    size_t i = 0;
    while (i < n) {
        const size_t start = i;
        i = FindLineBreak(s, i, n);
        onLine(start, i - start);
        if (i < n && s[i] == kLineSeparator) {
            sawSeparator = true;
            ++i;
        }
        if (i < n && s[i] == 13) {
            sawCr = true;
            ++i;
        }
        if (i < n && s[i] == 10) {
            sawLf = true;
            ++i;
        }
    }
    if (n > 0) {
        const char16_t last = s[n - 1];
        if (last == 13 || last == 10 || last == kLineSeparator)
            onLine(n, size_t{0});
    }
    if (sawSeparator)
        return LineBreakKind::Unicode;
    if (sawCr && !sawLf)
        return LineBreakKind::Mac;
    if (sawLf && !sawCr)
        return LineBreakKind::Unix;
    return LineBreakKind::Dos;
}

// The number of lines ForEachLine finds.
size_t CountLines(std::u16string_view text);
std::vector<TextLineSpan> SplitLines(std::u16string_view text, LineBreakKind& kind);

DecodedText DecodeTextBuffer(std::string_view bytes);
TextFileContents DecodeText(std::string_view bytes);

// Reads the whole file (shared for reading and writing by others) and decodes it, within the
// memory limits above (a line span costs what a line record does).
DecodedText LoadTextFileBuffer(const std::string& path, std::uint64_t budget = TextMemoryBudget());
// One string per line on top of that, for small files.
TextFileContents LoadTextFile(const std::string& path);

// The raw bytes of a file; throws TextFileOpenError naming the file when it cannot be read, and
// TextFileTooLargeError when decoding its bytes could need more than `budget` bytes.
std::string ReadWholeFile(const std::string& path, std::uint64_t budget = TextMemoryBudget());

}  // namespace kelvara::textview
