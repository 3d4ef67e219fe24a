#include "highlight/html_tag_names.h"

namespace kelvara::highlight {

namespace {

constexpr std::array<std::string_view, kHtmlTagNameCount> kTagNames = {
    "!doctype",   "/a",       "/abbr",     "/acronym",    "/address",  "/applet",   "/b",
    "/bdo",       "/big",     "/blink",    "/blockquote", "/body",     "/button",   "/caption",
    "/center",    "/cite",    "/code",     "/colgroup",   "/comment",  "/dd",       "/del",
    "/dfn",       "/dir",     "/div",      "/dl",         "/dt",       "/em",       "/embed",
    "/fieldset",  "/font",    "/form",     "/frameset",   "/h1",       "/h2",       "/h3",
    "/h4",        "/h5",      "/h6",       "/head",       "/html",     "/i",        "/iframe",
    "/ilayer",    "/ins",     "/kbd",      "/label",      "/layer",    "/legend",   "/li",
    "/listing",   "/map",     "/marquee",  "/menu",       "/multicol", "/nobr",     "/noembed",
    "/noframes",  "/nolayer", "/noscript", "/object",     "/ol",       "/optgroup", "/option",
    "/p",         "/pre",     "/q",        "/s",          "/samp",     "/script",   "/select",
    "/server",    "/small",   "/span",     "/strike",     "/strong",   "/style",    "/sub",
    "/sup",       "/table",   "/tbody",    "/td",         "/textarea", "/tfoot",    "/th",
    "/thead",     "/title",   "/tr",       "/tt",         "/u",        "/ul",       "/var",
    "/xmp",       "a",        "abbr",      "acronym",     "address",   "applet",    "area",
    "b",          "base",     "basefont",  "bdo",         "bgsound",   "big",       "blink",
    "blockquote", "body",     "br",        "button",      "caption",   "center",    "cite",
    "code",       "col",      "colgroup",  "comment",     "dd",        "del",       "dfn",
    "dir",        "div",      "dl",        "dt",          "em",        "embed",     "fieldset",
    "font",       "form",     "frame",     "frameset",    "h1",        "h2",        "h3",
    "h4",         "h5",       "h6",        "head",        "hr",        "html",      "i",
    "iframe",     "ilayer",   "img",       "input",       "ins",       "isindex",   "kbd",
    "keygen",     "label",    "layer",     "legend",      "li",        "link",      "listing",
    "map",        "marquee",  "menu",      "meta",        "multicol",  "nextid",    "nobr",
    "noembed",    "noframes", "nolayer",   "noscript",    "object",    "ol",        "optgroup",
    "option",     "p",        "param",     "plaintext",   "pre",       "q",         "s",
    "samp",       "script",   "select",    "server",      "small",     "spacer",    "span",
    "strike",     "strong",   "style",     "sub",         "sup",       "table",     "tbody",
    "td",         "textarea", "tfoot",     "th",          "thead",     "title",     "tr",
    "tt",         "u",        "ul",        "var",         "wbr",       "xmp",
};

// Every filled bucket holds exactly one name; a second name landing in a bucket would make the
// table unbuildable, which the static_assert below catches at compile time.
constexpr std::array<std::int16_t, kHtmlTagBucketCount> BuildBuckets() {
    std::array<std::int16_t, kHtmlTagBucketCount> buckets{};
    buckets.fill(-1);
    for (int i = 0; i < kHtmlTagNameCount; ++i) {
        int bucket = HtmlTagBucketOfWord(kTagNames[i]);
        if (buckets[bucket] != -1) {
            buckets.fill(-2);
            return buckets;
        }
        buckets[bucket] = static_cast<std::int16_t>(i);
    }
    return buckets;
}

constexpr std::array<std::int16_t, kHtmlTagBucketCount> kTagBuckets = BuildBuckets();
static_assert(kTagBuckets[0] != -2, "two tag names share a bucket");

}  // namespace

const std::array<std::string_view, kHtmlTagNameCount>& HtmlTagNames() {
    return kTagNames;
}

const std::array<std::int16_t, kHtmlTagBucketCount>& HtmlTagBuckets() {
    return kTagBuckets;
}

}  // namespace kelvara::highlight
