#include <ostream>

#include "cli/commands.h"
#include "collection/install_package.h"

namespace kelvara::cli {

int CmdPackage(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.size() < 3)
        return UsageError(err, "package",
                          "usage: kelvara-cli package COLLECTION_FOLDER TARGET_FOLDER NAME...");
    std::string collectionFolder = args[0];
    if (collectionFolder.back() != '/')
        collectionFolder += '/';
    std::string target = args[1];
    // The page and copies go to target + "/" + name, as the window builds them; a trailing
    // separator typed by the user is not doubled.
    while (target.size() > 1 && target.back() == '/')
        target.pop_back();
    const std::vector<std::string> names(args.begin() + 2, args.end());
    try {
        collection::BuildInstallPackage(collectionFolder, target, names, collection::TemplatePath(),
                                        [&](const std::string& status) { out << status << "\n"; });
    } catch (const std::exception& e) {
        err << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace kelvara::cli
