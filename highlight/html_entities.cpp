#include "highlight/html_entities.h"

#include <cstdint>

#include "highlight/xml_markup_scan.h"

namespace kelvara::highlight {

namespace {

constexpr std::array<std::string_view, kHtmlEntityCount> kEntities = {
    "&Alpha;",    "&Beta;",   "&Gamma;",   "&Delta;",   "&Epsilon;", "&Zeta;",    "&Eta;",
    "&Theta;",    "&Iota;",   "&Kappa;",   "&Lambda;",  "&Mu;",      "&Nu;",      "&Xi;",
    "&Omicron;",  "&Pi;",     "&Rho;",     "&Sigma;",   "&Tau;",     "&Upsilon;", "&Phi;",
    "&Chi;",      "&Psi;",    "&Omega;",   "&alpha;",   "&beta;",    "&gamma;",   "&delta;",
    "&epsilon;",  "&zeta;",   "&eta;",     "&theta;",   "&iota;",    "&kappa;",   "&lambda;",
    "&mu;",       "&nu;",     "&xi;",      "&omicron;", "&pi;",      "&rho;",     "&sigmaf;",
    "&sigma;",    "&tau;",    "&upsilon;", "&phi;",     "&chi;",     "&psi;",     "&omega;",
    "&thetasym;", "&upsih;",  "&piv;",     "&bull;",    "&hellip;",  "&prime;",   "&Prime;",
    "&oline;",    "&frasl;",  "&weierp;",  "&image;",   "&real;",    "&trade;",   "&alefsym;",
    "&larr;",     "&uarr;",   "&rarr;",    "&darr;",    "&harr;",    "&crarr;",   "&lArr;",
    "&uArr;",     "&rArr;",   "&dArr;",    "&hArr;",    "&forall;",  "&part;",    "&exist;",
    "&empty;",    "&nabla;",  "&isin;",    "&notin;",   "&ni;",      "&prod;",    "&sum;",
    "&minus;",    "&lowast;", "&radic;",   "&prop;",    "&infin;",   "&ang;",     "&and;",
    "&or;",       "&cap;",    "&cup;",     "&int;",     "&there4;",  "&sim;",     "&cong;",
    "&asymp;",    "&ne;",     "&equiv;",   "&le;",      "&ge;",      "&sub;",     "&sup;",
    "&nsub;",     "&sube;",   "&supe;",    "&oplus;",   "&otimes;",  "&perp;",    "&sdot;",
    "&lceil;",    "&rceil;",  "&lfloor;",  "&rfloor;",  "&lang;",    "&rang;",    "&loz;",
    "&spades;",   "&clubs;",  "&hearts;",  "&diams;",   "&lsquo;",   "&rsquo;",   "&sbquo;",
    "&ldquo;",    "&rdquo;",  "&bdquo;",   "&dagger;",  "&Dagger;",  "&permil;",  "&lsaquo;",
    "&rsaquo;",   "&quot;",   "&amp;",     "&lt;",      "&gt;",      "&ndash;",   "&mdash;",
    "&nbsp;",     "&thinsp;", "&ensp;",    "&emsp;",    "&iexcl;",   "&cent;",    "&pound;",
    "&curren;",   "&yen;",    "&brvbar;",  "&brkbar;",  "&sect;",    "&uml;",     "&die;",
    "&copy;",     "&ordf;",   "&laquo;",   "&not;",     "&shy;",     "&reg;",     "&macr;",
    "&hibar;",    "&deg;",    "&plusmn;",  "&sup2;",    "&sup3;",    "&acute;",   "&micro;",
    "&para;",     "&middot;", "&cedil;",   "&sup1;",    "&ordm;",    "&raquo;",   "&frac14;",
    "&frac12;",   "&frac34;", "&iquest;",  "&Agrave;",  "&Aacute;",  "&Acirc;",   "&Atilde;",
    "&Auml;",     "&Aring;",  "&AElig;",   "&Ccedil;",  "&Egrave;",  "&Eacute;",  "&Ecirc;",
    "&Euml;",     "&Igrave;", "&Iacute;",  "&Icirc;",   "&Iuml;",    "&ETH;",     "&Ntilde;",
    "&Ograve;",   "&Oacute;", "&Ocirc;",   "&Otilde;",  "&Ouml;",    "&times;",   "&Oslash;",
    "&Ugrave;",   "&Uacute;", "&Ucirc;",   "&Uuml;",    "&Yacute;",  "&THORN;",   "&szlig;",
    "&agrave;",   "&aacute;", "&acirc;",   "&atilde;",  "&auml;",    "&aring;",   "&aelig;",
    "&ccedil;",   "&egrave;", "&eacute;",  "&ecirc;",   "&euml;",    "&igrave;",  "&iacute;",
    "&icirc;",    "&iuml;",   "&eth;",     "&ntilde;",  "&ograve;",  "&oacute;",  "&ocirc;",
    "&otilde;",   "&ouml;",   "&divide;",  "&oslash;",  "&ugrave;",  "&uacute;",  "&ucirc;",
    "&uuml;",     "&yacute;", "&thorn;",   "&yuml;",    "&euro;",    "&OElig;",   "&oelig;",
    "&scaron;",   "&Scaron;", "&fnof;",    "&circ;",
};

constexpr size_t kLongestEntity = 10;  // "&thetasym;"
constexpr size_t kGroupCount = 128 * (kLongestEntity + 1);

constexpr size_t GroupOf(char16_t lead, size_t length) {
    return lead * (kLongestEntity + 1) + length;
}

// The entries grouped by the character after "&" and their length, each group in table order,
// so a look-up compares only the one or two names that can match: group g holds
// order[first[g]] up to order[first[g + 1]].
struct EntityGroups {
    std::array<std::uint16_t, kGroupCount + 1> first{};
    std::array<std::int16_t, kHtmlEntityCount> order{};
};

constexpr EntityGroups BuildGroups() {
    EntityGroups g;
    std::array<std::uint16_t, kGroupCount + 1> fill{};
    for (std::string_view e : kEntities) {
        ++g.first[GroupOf(static_cast<unsigned char>(e[1]) & 127u, e.size()) + 1];
    }
    for (size_t i = 1; i <= kGroupCount; ++i) {
        g.first[i] = static_cast<std::uint16_t>(g.first[i] + g.first[i - 1]);
    }
    fill = g.first;
    for (int i = 0; i < kHtmlEntityCount; ++i) {
        const std::string_view e = kEntities[i];
        g.order[fill[GroupOf(static_cast<unsigned char>(e[1]) & 127u, e.size())]++] =
            static_cast<std::int16_t>(i);
    }
    return g;
}

constexpr EntityGroups kGroups = BuildGroups();

}  // namespace

const std::array<std::string_view, kHtmlEntityCount>& HtmlEntities() {
    return kEntities;
}

int FindHtmlEntity(const char16_t* text) {
    if (text[0] != u'&' || text[1] >= 128) {
        return -1;
    }
    // Every name ends at its first ";", so only the names of that length can match.
    size_t length = 1;
    while (text[length] != u';') {
        if (text[length] == 0 || ++length == kLongestEntity) {
            return -1;
        }
    }
    ++length;
    const size_t group = GroupOf(text[1], length);
    for (size_t i = kGroups.first[group]; i < kGroups.first[group + 1]; ++i) {
        if (MarkupLooksAt(text, 0, kEntities[kGroups.order[i]])) {
            return kGroups.order[i];
        }
    }
    return -1;
}

}  // namespace kelvara::highlight
