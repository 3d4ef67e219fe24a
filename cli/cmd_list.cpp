#include <ostream>

#include "cli/commands.h"

namespace kelvara::cli {

int CmdList(const Args&, std::ostream&, std::ostream& err) {
    err << "kelvara-cli list: not available in this build\n";
    return 2;
}

}  // namespace kelvara::cli
