#include <optional>
#include <ostream>

#include "cli/commands.h"
#include "collection/manifest.h"
#include "collection/package_extraction.h"
#include "collection/texts.h"
#include "platform/file_system.h"

namespace kelvara::cli {

int CmdManifest(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1)
        return UsageError(err, "manifest", "usage: kelvara-cli manifest PACKAGE");
    try {
        if (!platform::IsRegularFile(args[0])) {
            err << "Cannot open file \"" << args[0] << "\". No such file\n";
            return 1;
        }
        // The same reading as a selection in the main window.
        const std::optional<std::string> bytes = collection::ReadRootEntry(
            args[0], "config.xml", collection::kMaxManifestEntryBytes, {});
        // Without a root manifest the window's panel keeps its start values: no name and
        // "Неизвестно" for the four values and the verdict. The same is shown here.
        std::string description;
        std::string height = collection::kUnknownValue, width = collection::kUnknownValue,
                    version = collection::kUnknownValue, id = collection::kUnknownValue,
                    network = collection::kUnknownValue;
        if (bytes) {
            collection::Manifest manifest = collection::Manifest::Parse(*bytes);
            collection::ManifestFields fields = manifest.Fields();
            description = collection::StripLineFeeds(manifest.Description());
            height = fields.height.value_or("");
            width = fields.width.value_or("");
            version = fields.version.value_or("");
            id = fields.id.value_or("");
            network = collection::NetworkAllowed(fields) ? collection::kNetworkAllowed
                                                         : collection::kNetworkDenied;
        }
        out << "description: " << description << "\n"
            << "height: " << height << "\n"
            << "width: " << width << "\n"
            << "version: " << version << "\n"
            << "id: " << id << "\n"
            << "network: " << network << "\n";
        return 0;
    } catch (const std::exception& e) {
        err << e.what() << "\n";
        return 1;
    }
}

}  // namespace kelvara::cli
