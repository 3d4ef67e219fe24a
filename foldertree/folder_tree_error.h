// Errors raised by the folder tree: a root that cannot be resolved, a failed rename or delete.
#pragma once

#include <stdexcept>
#include <string>

namespace kelvara::foldertree {

class EFolderTreeError : public std::runtime_error {
  public:
    explicit EFolderTreeError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace kelvara::foldertree
