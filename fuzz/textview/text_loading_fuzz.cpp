// Any bytes as a text file: decoding by byte-order mark or code page and line splitting.
#include "textview/text_file_loading.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        kelvara::textview::DecodeText(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const std::exception&) {
    }
    return 0;
}
