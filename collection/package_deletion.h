// Deleting packages from the collection folder.
#pragma once

#include <string>
#include <vector>

#include "collection/install_package.h"

namespace kelvara::collection {

// Deletes folder + caption for each caption, reporting "Удаление <caption>..." before each.
// A read-only package (owner write bit off) is protected and kept. Returns the captions that
// could not be deleted (missing, protected, or refused by the system).
std::vector<std::string> DeletePackages(const std::string& folder,
                                        const std::vector<std::string>& captions,
                                        const ProgressFunction& progress);

}  // namespace kelvara::collection
