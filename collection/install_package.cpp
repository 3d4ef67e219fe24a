#include "collection/install_package.h"

#include <cerrno>
#include <cstdio>
#include <stdexcept>

#include "collection/file_copy.h"
#include "collection/texts.h"
#include "platform/file_system.h"

namespace kelvara::collection {
namespace {

std::string HtmlEscaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// Percent-encodes every byte that is not safe in a relative URL path segment.
std::string UrlEncoded(const std::string& text) {
    static const char* kHex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        bool safe = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                    c == '-' || c == '.' || c == '_' || c == '~' || c == '(' || c == ')' ||
                    c == '!' || c == ',' || c == '+' || c == '=' || c == '@';
        if (safe) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

[[noreturn]] void FailWriting(int error) {
    throw std::runtime_error("I/O error " + std::to_string(error));
}

}  // namespace

std::string LinkLine(const std::string& caption) {
    return "<p><a href=\"" + HtmlEscaped(UrlEncoded(caption)) + "\"> " + kInstallWord + " " +
           HtmlEscaped(caption) + "</a></p>";
}

bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("/\0", 2)) == std::string::npos;
}

void BuildInstallPackage(const std::string& collectionFolder, const std::string& targetFolder,
                         const std::vector<std::string>& captions, const std::string& templatePath,
                         const ProgressFunction& progress) {
    // A name with a path in it would read from outside the collection and write outside the
    // target folder; all names are checked before the first copy.
    for (const std::string& caption : captions) {
        if (!IsPlainFileName(caption))
            throw std::runtime_error("Invalid package name \"" + caption +
                                     "\". A package is named by its file name alone");
    }
    auto report = [&](const std::string& text) {
        if (progress)
            progress(text);
    };
    for (const std::string& caption : captions) {
        report(kStatusCopying + caption + "...");
        CopyFileKeepDate(collectionFolder + caption, targetFolder + "/" + caption);
    }
    report(kStatusGeneratingPage);
    const std::string page = targetFolder + "/Widgets.html";
    CopyFileKeepDate(templatePath, page);

    FILE* file = std::fopen(page.c_str(), "ab");
    if (!file)
        FailWriting(errno);
    std::string text;
    for (const std::string& caption : captions)
        text += LinkLine(caption) + "\r\n";
    text += "</body>\r\n</html>\r\n";
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    int error = errno;
    if (std::fclose(file) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written)
        FailWriting(error);
}

std::string TemplatePath() {
    const std::string folder = platform::ExecutableFolder();
    const std::string beside = folder + "temp";
    if (platform::IsRegularFile(beside))
        return beside;
    const std::string installed = folder + "../share/kelvara/temp";
    if (platform::IsRegularFile(installed))
        return installed;
    return beside;
}

}  // namespace kelvara::collection
