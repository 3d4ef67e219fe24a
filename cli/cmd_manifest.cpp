#include <ostream>

#include "app/collection/manifest.h"
#include "app/collection/package_extraction.h"
#include "app/collection/texts.h"
#include "cli/commands.h"
#include "platform/file_system.h"
#include "platform/scratch_folder.h"

namespace kelvara::cli {

int CmdManifest(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1)
        return UsageError(err, "manifest", "usage: kelvara-cli manifest PACKAGE");
    try {
        if (!platform::IsRegularFile(args[0])) {
            err << "Cannot open file \"" << args[0] << "\". No such file\n";
            return 1;
        }
        // The same extraction as a selection in the main window.
        const std::string scratch = platform::ScratchFolder();
        collection::ExtractDetailFiles(args[0], scratch, {});
        const std::string path = scratch + "/config.xml";
        if (!platform::IsRegularFile(path)) {
            err << "The package holds no config.xml\n";
            return 1;
        }
        collection::Manifest manifest = collection::Manifest::Load(path);
        collection::ManifestFields fields = manifest.Fields();
        const bool allowed = collection::NetworkAllowed(fields);
        out << "description: " << collection::StripLineFeeds(manifest.Description()) << "\n"
            << "height: " << fields.height.value_or("") << "\n"
            << "width: " << fields.width.value_or("") << "\n"
            << "version: " << fields.version.value_or("") << "\n"
            << "id: " << fields.id.value_or("") << "\n"
            << "network: " << (allowed ? collection::kNetworkAllowed : collection::kNetworkDenied)
            << "\n";
        return 0;
    } catch (const std::exception& e) {
        err << e.what() << "\n";
        return 1;
    }
}

}  // namespace kelvara::cli
