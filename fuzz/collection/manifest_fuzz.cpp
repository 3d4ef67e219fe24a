// Any bytes as a manifest: parsing, the description and the fields, never a crash or a load
// from outside.
#include "collection/manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using kelvara::collection::Manifest;
    try {
        Manifest manifest = Manifest::Parse(std::string(reinterpret_cast<const char*>(data), size));
        manifest.Fields();
        manifest.Description();
    } catch (const std::exception&) {
    }
    return 0;
}
