// Reading a widget manifest ("config.xml") with libxml2, from memory, with every external load
// refused.
#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace kelvara::collection {

class ManifestError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The fields the program shows; an absent attribute (or an absent "access" element) is
// nullopt.
struct ManifestFields {
    std::optional<std::string> height, width, version, id, network;
};

class Manifest {
  public:
    // Parses a manifest file. Throws ManifestError with the parser's reason, CR LF,
    // "Line: " and the line number, CR LF and the first 40 characters of that line; or with
    // the system's reason when the file cannot be read.
    static Manifest Load(const std::string& path);
    static Manifest Parse(const std::string& bytes);
    ~Manifest();
    Manifest(Manifest&&) noexcept;
    Manifest& operator=(Manifest&&) noexcept;

    // The text of the root's first "description" child: empty for an absent or empty element,
    // the value of its single text or CDATA node, else ManifestError
    // "Element does not contain a single text node". White-space-only text nodes are ignored.
    std::string Description() const;
    ManifestFields Fields() const;

  private:
    struct Document;
    explicit Manifest(std::unique_ptr<Document> document);
    std::unique_ptr<Document> document_;
};

// Network access is allowed only by exactly "true"; anything else, an absent value included,
// denies it.
inline bool NetworkAllowed(const ManifestFields& fields) {
    return fields.network.has_value() && *fields.network == "true";
}

// The text with every line feed (code 10) removed; carriage returns stay.
std::string StripLineFeeds(std::string text);

}  // namespace kelvara::collection
