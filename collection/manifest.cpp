#include "collection/manifest.h"

#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/code_pages.h"

namespace kelvara::collection {
namespace {

// Manifests are small; anything far larger is not a manifest and is not read into memory.
constexpr std::streamoff kMaxManifestBytes = 16 << 20;

// Every external entity, DTD or other resource load is refused: a manifest never reaches the
// network or a file beside it.
xmlParserInputPtr RefuseExternalLoad(const char*, const char*, xmlParserCtxtPtr) {
    return nullptr;
}

void IgnoreMessages(void*, const char*, ...) {}

// Windows-1251 to UTF-8 for the parser through the platform's code-page layer, so that a
// manifest decodes every byte as text files do (the parser's own converter refuses 0x98).
// Converts whole bytes while they fit; the parser passes the rest again.
int Windows1251Input(unsigned char* out, int* outlen, const unsigned char* in, int* inlen) {
    int produced = 0, consumed = 0;
    while (consumed < *inlen) {
        xmlChar utf8[4];
        const int size = xmlCopyCharMultiByte(utf8, platform::Windows1251Char(in[consumed]));
        if (size <= 0 || produced + size > *outlen)
            break;
        std::memcpy(out + produced, utf8, static_cast<size_t>(size));
        produced += size;
        ++consumed;
    }
    *inlen = consumed;
    *outlen = produced;
    return produced;
}

struct ParserSetup {
    ParserSetup() {
        xmlInitParser();
        xmlSetExternalEntityLoader(RefuseExternalLoad);
        // Registered handlers are found by name before the system converter is asked.
        xmlNewCharEncodingHandler("WINDOWS-1251", Windows1251Input, nullptr);
        xmlAddEncodingAlias("WINDOWS-1251", "CP1251");
    }
};

void EnsureParserSetup() {
    static ParserSetup setup;
}

std::string Utf8(const xmlChar* text) {
    return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

bool IsBlankText(const xmlNode* node) {
    if (node->type != XML_TEXT_NODE)
        return false;
    for (const xmlChar* c = node->content; c && *c; ++c)
        if (*c != ' ' && *c != '\t' && *c != '\n' && *c != '\r')
            return false;
    return true;
}

const xmlChar* NamespaceOf(const xmlNode* node) {
    return node->ns ? node->ns->href : nullptr;
}

bool SameNamespace(const xmlNode* a, const xmlNode* b) {
    const xmlChar* na = NamespaceOf(a);
    const xmlChar* nb = NamespaceOf(b);
    if (!na || !nb)
        return na == nb;
    return xmlStrEqual(na, nb);
}

std::string QualifiedName(const xmlNode* node) {
    std::string name = Utf8(node->name);
    if (node->ns && node->ns->prefix)
        return Utf8(node->ns->prefix) + ":" + name;
    return name;
}

// The root's first child element named `name` by its qualified name, or by its local name
// within the root's namespace. Letter case counts.
const xmlNode* ChildElement(const xmlNode* root, const char* name) {
    for (const xmlNode* child = root->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE)
            continue;
        if (QualifiedName(child) == name)
            return child;
        if (Utf8(child->name) == name && SameNamespace(child, root))
            return child;
    }
    return nullptr;
}

std::optional<std::string> Attribute(const xmlNode* element, const char* name) {
    if (!element)
        return std::nullopt;
    xmlChar* value = xmlGetNoNsProp(element, reinterpret_cast<const xmlChar*>(name));
    if (!value)
        return std::nullopt;
    std::string text = Utf8(value);
    xmlFree(value);
    return text;
}

// The first 40 characters (not bytes) of line `number` (from 1) of the source.
std::string SourceLine(const std::string& bytes, int number) {
    size_t start = 0;
    for (int line = 1; line < number && start != std::string::npos; ++line) {
        start = bytes.find('\n', start);
        if (start != std::string::npos)
            ++start;
    }
    if (start == std::string::npos || start > bytes.size())
        return std::string();
    size_t end = bytes.find_first_of("\r\n", start);
    std::string line =
        bytes.substr(start, end == std::string::npos ? std::string::npos : end - start);
    size_t pos = 0;
    for (int chars = 0; pos < line.size() && chars < 40; ++chars) {
        ++pos;
        while (pos < line.size() && (static_cast<unsigned char>(line[pos]) & 0xC0) == 0x80)
            ++pos;
    }
    return line.substr(0, pos);
}

std::string ParseErrorText(const xmlError* error, const std::string& bytes) {
    std::string reason =
        error && error->message ? error->message : "The document could not be parsed";
    while (!reason.empty() &&
           (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' '))
        reason.pop_back();
    int line = error ? error->line : 0;
    return reason + "\r\nLine: " + std::to_string(line) + "\r\n" + SourceLine(bytes, line);
}

}  // namespace

struct Manifest::Document {
    xmlDocPtr doc = nullptr;
    ~Document() {
        if (doc)
            xmlFreeDoc(doc);
    }
    const xmlNode* Root() const { return xmlDocGetRootElement(doc); }
};

Manifest::Manifest(std::unique_ptr<Document> document) : document_(std::move(document)) {}
Manifest::~Manifest() = default;
Manifest::Manifest(Manifest&&) noexcept = default;
Manifest& Manifest::operator=(Manifest&&) noexcept = default;

Manifest Manifest::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ManifestError("Cannot open file \"" + path + "\". " + std::strerror(errno));
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size > kMaxManifestBytes)
        throw ManifestError("The manifest \"" + path + "\" is too large");
    in.seekg(0);
    std::string bytes(static_cast<size_t>(std::max<std::streamoff>(size, 0)), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return Parse(bytes);
}

namespace {

// A scan parses thousands of manifests: each thread keeps its parser context (and with it the
// dictionary of names) from one to the next. The dictionary also keeps short texts, so the
// context is renewed now and then.
class KeptParserContext {
  public:
    ~KeptParserContext() {
        if (context_)
            xmlFreeParserCtxt(context_);
    }
    xmlParserCtxtPtr Take() {
        constexpr int kUsesPerContext = 512;
        if (context_ && (busy_ || uses_ >= kUsesPerContext)) {
            if (busy_)
                return xmlNewParserCtxt();
            xmlFreeParserCtxt(context_);
            context_ = nullptr;
        }
        if (!context_) {
            context_ = xmlNewParserCtxt();
            uses_ = 0;
        }
        if (context_) {
            busy_ = true;
            ++uses_;
        }
        return context_;
    }
    void Give(xmlParserCtxtPtr context) {
        if (context == context_)
            busy_ = false;
        else
            xmlFreeParserCtxt(context);
    }

  private:
    xmlParserCtxtPtr context_ = nullptr;
    int uses_ = 0;
    bool busy_ = false;
};

thread_local KeptParserContext keptContext;

}  // namespace

Manifest Manifest::Parse(const std::string& bytes) {
    EnsureParserSetup();
    xmlParserCtxtPtr context = keptContext.Take();
    if (!context)
        throw ManifestError("Out of memory");
    struct GiveBack {
        xmlParserCtxtPtr context;
        ~GiveBack() { keptContext.Give(context); }
    } giveBack{context};
    xmlSetGenericErrorFunc(nullptr, IgnoreMessages);
    xmlCtxtResetLastError(context);
    // Internal entities are substituted (within the parser's own limits); nothing is loaded
    // from outside, the document is not validated.
    // White-space-only text is dropped while parsing (nothing here reads it) and short texts
    // are kept inside their nodes: fewer allocations per manifest.
    const int options = XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_NOERROR |
                        XML_PARSE_NOWARNING | XML_PARSE_NOBLANKS | XML_PARSE_COMPACT;
    auto document = std::make_unique<Document>();
    document->doc = xmlCtxtReadMemory(context, bytes.data(), static_cast<int>(bytes.size()),
                                      "config.xml", nullptr, options);
    if (!document->doc || !context->wellFormed || !document->Root())
        throw ManifestError(ParseErrorText(xmlCtxtGetLastError(context), bytes));
    return Manifest(std::move(document));
}

std::string Manifest::Description() const {
    const xmlNode* description = ChildElement(document_->Root(), "description");
    if (!description)
        return std::string();
    const xmlNode* single = nullptr;
    int count = 0;
    for (const xmlNode* child = description->children; child; child = child->next) {
        if (IsBlankText(child))
            continue;
        single = child;
        ++count;
    }
    if (count == 0)
        return std::string();
    if (count > 1 || (single->type != XML_TEXT_NODE && single->type != XML_CDATA_SECTION_NODE))
        throw ManifestError("Element does not contain a single text node");
    return Utf8(single->content);
}

ManifestFields Manifest::Fields() const {
    const xmlNode* root = document_->Root();
    ManifestFields fields;
    fields.height = Attribute(root, "height");
    fields.width = Attribute(root, "width");
    fields.version = Attribute(root, "version");
    fields.id = Attribute(root, "id");
    fields.network = Attribute(ChildElement(root, "access"), "network");
    return fields;
}

std::string StripLineFeeds(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
    return text;
}

}  // namespace kelvara::collection
