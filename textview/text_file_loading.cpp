#include "textview/text_file_loading.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <optional>

#include "platform/code_pages.h"
#include "platform/file_handle.h"
#include "platform/system_memory.h"

namespace kelvara::textview {
namespace {

static_assert(sizeof(TextLineSpan) == kLineRecordBytes, "a line span is counted as a record");

std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    if (bytes.size() % 2 != 0)
        throw TextEncodingError("Number of chars must be a multiple of 2");
    std::u16string out(bytes.size() / 2, u'\0');
    auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (char16_t& unit : out) {
        unit = bigEndian ? static_cast<char16_t>((p[0] << 8) | p[1])
                         : static_cast<char16_t>(p[0] | (p[1] << 8));
        p += 2;
    }
    return out;
}

bool StartsWith(std::string_view bytes, std::string_view mark) {
    return bytes.substr(0, mark.size()) == mark;
}

constexpr std::uint64_t kMiB = 1 << 20;

// "File "<path>" (<size> bytes) is too large to load: <why>".
TextFileTooLargeError TooLarge(const std::string& path, const std::string& size,
                               const std::string& why) {
    return TextFileTooLargeError("File \"" + path + "\" (" + size +
                                 " bytes) is too large to load: " + why);
}

TextFileTooLargeError NeedsTooMuch(const std::string& path, const std::string& size,
                                   std::uint64_t need, std::uint64_t budget) {
    return TooLarge(path, size,
                    "it needs about " + std::to_string(need / kMiB + (need % kMiB != 0)) +
                        " MiB of memory, more than the " + std::to_string(budget / kMiB) +
                        " MiB a text may use");
}

// need = a * b + c, saturating instead of wrapping round.
std::uint64_t SaturatingNeed(std::uint64_t a, std::uint64_t b, std::uint64_t c) {
    if (a != 0 && b > (UINT64_MAX - c) / a)
        return UINT64_MAX;
    return a * b + c;
}

}  // namespace

std::uint64_t TextMemoryBudget() {
    static const std::uint64_t budget = platform::PhysicalMemoryBytes() / 2;
    return budget;
}

void CheckTextFits(const std::string& path, std::uint64_t fileSize, std::uint64_t units,
                   std::uint64_t lines, std::uint64_t budget) {
    const std::string size = std::to_string(fileSize);
    if (units > kMaxTextUnits)
        throw TooLarge(path, size,
                       "its text has more than " + std::to_string(kMaxTextUnits) + " characters");
    if (lines > kMaxTextLines)
        throw TooLarge(path, size, "it has more than " + std::to_string(kMaxTextLines) + " lines");
    const std::uint64_t need = SaturatingNeed(lines, kLineRecordBytes, units * sizeof(char16_t));
    if (need > budget)
        throw NeedsTooMuch(path, size, need, budget);
}

std::u16string DecodeCharacters(std::string_view bytes, TextEncoding& encoding) {
    if (StartsWith(bytes, "\xFF\xFE")) {
        encoding = TextEncoding::Utf16LittleEndian;
        // The whole byte count decides, as the mark is two bytes.
        return DecodeUtf16(bytes.substr(2), false);
    }
    if (StartsWith(bytes, "\xFE\xFF")) {
        encoding = TextEncoding::Utf16BigEndian;
        return DecodeUtf16(bytes.substr(2), true);
    }
    if (StartsWith(bytes, "\xEF\xBB\xBF")) {
        encoding = TextEncoding::Utf8;
        return platform::Utf8ToUtf16(bytes.substr(3));
    }
    encoding = TextEncoding::EightBit;
    return platform::EightBitToUtf16(bytes);
}

size_t CountLines(std::u16string_view text) {
    size_t count = 0;
    ForEachLine(text, [&count](size_t, size_t) { ++count; });
    return count;
}

std::vector<TextLineSpan> SplitLines(std::u16string_view text, LineBreakKind& kind) {
    std::vector<TextLineSpan> lines;
    lines.reserve(CountLines(text));  // exactly: no growth slack
    kind = ForEachLine(text, [&lines](size_t start, size_t length) {
        lines.push_back({start, length});
    });
    return lines;
}

DecodedText DecodeTextBuffer(std::string_view bytes) {
    DecodedText result;
    result.text = DecodeCharacters(bytes, result.encoding);
    result.lines = SplitLines(result.text, result.lineBreak);
    return result;
}

namespace {

TextFileContents OneStringPerLine(const DecodedText& decoded) {
    TextFileContents contents;
    contents.encoding = decoded.encoding;
    contents.lineBreak = decoded.lineBreak;
    contents.lines.reserve(decoded.lines.size());
    for (size_t i = 0; i < decoded.lines.size(); ++i)
        contents.lines.emplace_back(decoded.Line(i));
    return contents;
}

}  // namespace

TextFileContents DecodeText(std::string_view bytes) {
    return OneStringPerLine(DecodeTextBuffer(bytes));
}

std::string ReadWholeFile(const std::string& path, std::uint64_t budget) {
    auto fail = [&path](int error) {
        return TextFileOpenError("Cannot open file \"" + path + "\". " + std::strerror(error));
    };
    // Decoding holds the bytes and the text at once; no more bytes are read than that allows.
    const std::uint64_t maxBytes = budget / kDecodeBytesPerFileByte;
    platform::FileHandle file = platform::FileHandle::OpenForReading(path);
    if (!file.IsOpen())
        throw fail(file.Error());
    const std::optional<platform::FileStatus> status = file.Status();
    if (!status)
        throw fail(file.Error());
    if (status->type == platform::FileType::kFolder)
        throw fail(EISDIR);
    const bool regular = status->type == platform::FileType::kRegular;
    const std::uint64_t size = status->size;
    if (regular && size > maxBytes) {
        throw NeedsTooMuch(path, std::to_string(size),
                           SaturatingNeed(size, kDecodeBytesPerFileByte, 0), budget);
    }
    std::string bytes;
    try {
        if (regular && size > 0)
            bytes.reserve(static_cast<size_t>(size));
        char chunk[65536];
        for (;;) {
            // Regular files are read straight into the reserved buffer.
            if (bytes.capacity() > bytes.size()) {
                const size_t used = bytes.size();
                bytes.resize(bytes.capacity());
                const std::optional<size_t> got =
                    file.Read(bytes.data() + used, bytes.size() - used);
                if (!got)
                    throw fail(file.Error());
                bytes.resize(used + *got);
                if (*got == 0)
                    break;
                continue;
            }
            const std::optional<size_t> got = file.Read(chunk, sizeof chunk);
            if (!got)
                throw fail(file.Error());
            if (*got == 0)
                break;
            // A device or pipe, or a file that grows while it is read, is cut off at the limit.
            if (bytes.size() + *got > maxBytes) {
                throw NeedsTooMuch(path, "more than " + std::to_string(maxBytes),
                                   SaturatingNeed(maxBytes + 1, kDecodeBytesPerFileByte, 0),
                                   budget);
            }
            bytes.append(chunk, *got);
        }
    } catch (const std::bad_alloc&) {
        throw TooLarge(path, std::to_string(size), "there is not enough memory to read it");
    }
    return bytes;
}

DecodedText LoadTextFileBuffer(const std::string& path, std::uint64_t budget) {
    DecodedText result;
    std::uint64_t fileSize = 0;
    {
        const std::string bytes = ReadWholeFile(path, budget);
        fileSize = bytes.size();
        result.text = DecodeCharacters(bytes, result.encoding);
    }  // the raw bytes are gone before the spans exist
    CheckTextFits(path, fileSize, result.text.size(), CountLines(result.text), budget);
    result.lines = SplitLines(result.text, result.lineBreak);
    return result;
}

TextFileContents LoadTextFile(const std::string& path) {
    return OneStringPerLine(LoadTextFileBuffer(path));
}

}  // namespace kelvara::textview
