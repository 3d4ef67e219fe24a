#include "archive/legacy_decoders.h"

namespace kelvara::archive {

void DecodeLegacy(const LegacyEntryInfo&, const CompressedReader&, const BlockWriter&,
                  const Reporter&) {}

}  // namespace kelvara::archive
