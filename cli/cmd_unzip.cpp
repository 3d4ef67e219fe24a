#include <ostream>

#include "cli/commands.h"

namespace kelvara::cli {

int CmdUnzip(const Args&, std::ostream&, std::ostream& err) {
    err << "kelvara-cli unzip: not available in this build\n";
    return 2;
}

}  // namespace kelvara::cli
