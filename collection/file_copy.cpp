#include "collection/file_copy.h"

#include <cstring>

#include "platform/dos_time.h"
#include "platform/file_copy.h"

namespace kelvara::collection {
namespace {

[[noreturn]] void Fail(const char* format, const std::string& path, int error) {
    std::string text = format;
    text.replace(text.find("%s"), 2, path);
    text.replace(text.find("%s"), 2, std::strerror(error));
    throw CopyError(text);
}

}  // namespace

void CopyFileKeepDate(const std::string& source, const std::string& target) {
    using Failure = platform::CopyOutcome::Failure;
    const platform::CopyOutcome outcome =
        platform::CopyFileReplacing(source, target, platform::RoundToDosResolution);
    switch (outcome.failure) {
        case Failure::kNone:
            return;
        case Failure::kOpenSource:
            Fail("Cannot open file \"%s\". %s", source, outcome.error);
        case Failure::kCreateTarget:
            Fail("Cannot create file \"%s\". %s", target, outcome.error);
        case Failure::kRead:
            throw CopyError("Stream read error");
        case Failure::kWrite:
            throw CopyError("Stream write error");
    }
}

}  // namespace kelvara::collection
