#include "preview/text_file_loading.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/code_pages.h"

namespace kelvara::preview {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Windows-1251 upper half as UTF-16, taken once from the platform's converter.
const std::array<char16_t, 128>& Windows1251Table() {
    static const std::array<char16_t, 128> table = [] {
        std::array<char16_t, 128> t{};
        for (int i = 0; i < 128; ++i) {
            const char byte = static_cast<char>(0x80 + i);
            std::u16string one =
                platform::Utf8ToUtf16(platform::Windows1251ToUtf8(std::string_view(&byte, 1)));
            t[i] = one.size() == 1 ? one[0] : u'?';
        }
        return t;
    }();
    return table;
}

std::u16string DecodeWindows1251(std::string_view bytes) {
    const auto& table = Windows1251Table();
    std::u16string out(bytes.size(), u'\0');
    char16_t* dst = out.data();
    for (unsigned char c : bytes)
        *dst++ = c < 0x80 ? c : table[c - 0x80];
    return out;
}

// Length and payload bits of a UTF-8 lead byte; 0 for a byte that cannot start a sequence.
inline int SequenceLength(unsigned char lead, uint32_t& bits) {
    if ((lead & 0xE0) == 0xC0) {
        bits = lead & 0x1F;
        return 2;
    }
    if ((lead & 0xF0) == 0xE0) {
        bits = lead & 0x0F;
        return 3;
    }
    if ((lead & 0xF8) == 0xF0) {
        bits = lead & 0x07;
        return 4;
    }
    return 0;
}

// Decodes one multi-byte sequence at `p` (lead byte >= 0x80); returns its length or 0 when it is
// not well-formed (truncated, overlong, surrogate, above U+10FFFF).
inline int DecodeSequence(const unsigned char* p, const unsigned char* end, uint32_t& cp) {
    int len = SequenceLength(*p, cp);
    if (len == 0 || end - p < len)
        return 0;
    for (int k = 1; k < len; ++k) {
        if ((p[k] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[k] & 0x3F);
    }
    static constexpr uint32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

// UTF-8 to UTF-16 in one pass. Strict: gives up (returns false) at the first ill-formed
// sequence. Lenient: each byte of an ill-formed sequence becomes U+FFFD.
bool DecodeUtf8(std::string_view bytes, bool strict, std::u16string& out) {
    out.resize(bytes.size());  // never more code units than bytes
    auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    char16_t* dst = out.data();
    while (p < end) {
        // Runs of ASCII, eight bytes at a time.
        while (end - p >= 8) {
            std::uint64_t block;
            std::memcpy(&block, p, 8);
            if (block & 0x8080808080808080ull)
                break;
            for (int k = 0; k < 8; ++k)
                dst[k] = p[k];
            p += 8;
            dst += 8;
        }
        if (p == end)
            break;
        if (*p < 0x80) {
            *dst++ = *p++;
            continue;
        }
        uint32_t cp = 0;
        int len = DecodeSequence(p, end, cp);
        if (len == 0) {
            if (strict)
                return false;
            *dst++ = kReplacement;
            ++p;
            continue;
        }
        p += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            *dst++ = static_cast<char16_t>(0xD800 + (cp >> 10));
            *dst++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            *dst++ = static_cast<char16_t>(cp);
        }
    }
    out.resize(static_cast<size_t>(dst - out.data()));
    // Multi-byte text leaves spare room; give it back when it is worth a copy.
    if (out.capacity() - out.size() > out.size() / 8 + 4096)
        out.shrink_to_fit();
    return true;
}

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

}  // namespace

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
    std::u16string out;
    if (StartsWith(bytes, "\xEF\xBB\xBF")) {
        encoding = TextEncoding::Utf8;
        DecodeUtf8(bytes.substr(3), false, out);
        return out;
    }
    encoding = TextEncoding::EightBit;
    if (DecodeUtf8(bytes, true, out))
        return out;
    out = std::u16string();  // release before the second buffer exists
    return DecodeWindows1251(bytes);
}

std::vector<TextLineSpan> SplitLines(std::u16string_view text, LineBreakKind& kind) {
    std::vector<TextLineSpan> lines;
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

TextFileContents DecodeText(std::string_view bytes) {
    DecodedText decoded = DecodeTextBuffer(bytes);
    TextFileContents contents;
    contents.encoding = decoded.encoding;
    contents.lineBreak = decoded.lineBreak;
    contents.lines.reserve(decoded.lines.size());
    for (size_t i = 0; i < decoded.lines.size(); ++i)
        contents.lines.emplace_back(decoded.Line(i));
    return contents;
}

std::string ReadWholeFile(const std::string& path) {
    auto fail = [&path](int error) {
        return TextFileOpenError("Cannot open file \"" + path + "\". " + std::strerror(error));
    };
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw fail(errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : errno;
        ::close(fd);
        throw fail(error);
    }
    std::string bytes;
    if (S_ISREG(info.st_mode) && info.st_size > 0)
        bytes.reserve(static_cast<size_t>(info.st_size));
    char chunk[65536];
    for (;;) {
        // Regular files are read straight into the reserved buffer.
        if (bytes.capacity() > bytes.size()) {
            const size_t used = bytes.size();
            bytes.resize(bytes.capacity());
            const ssize_t got = ::read(fd, bytes.data() + used, bytes.size() - used);
            if (got < 0 && errno == EINTR) {
                bytes.resize(used);
                continue;
            }
            if (got < 0) {
                const int error = errno;
                ::close(fd);
                throw fail(error);
            }
            bytes.resize(used + static_cast<size_t>(got));
            if (got == 0)
                break;
            continue;
        }
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            throw fail(error);
        }
        if (got == 0)
            break;
        bytes.append(chunk, static_cast<size_t>(got));
    }
    ::close(fd);
    return bytes;
}

DecodedText LoadTextFileBuffer(const std::string& path) {
    std::string bytes = ReadWholeFile(path);
    return DecodeTextBuffer(bytes);
}

TextFileContents LoadTextFile(const std::string& path) {
    std::string bytes = ReadWholeFile(path);
    return DecodeText(bytes);
}

}  // namespace kelvara::preview
