#include "foldertree/folder_name_order.h"

namespace kelvara::foldertree {
namespace {

bool IsAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

int Sign(qsizetype v) {
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

// Compares the digit runs starting at a[i] and b[j] by value and moves past them. Leading
// zeros do not count for the value; the run with fewer of them is noted as the tie-breaker.
int CompareNumbers(QStringView a, qsizetype& i, QStringView b, qsizetype& j, int& zerosTie) {
    const qsizetype startA = i, startB = j;
    while (i < a.size() && a[i] == u'0')
        ++i;
    while (j < b.size() && b[j] == u'0')
        ++j;
    const qsizetype zerosA = i - startA, zerosB = j - startB;
    const qsizetype digitsA = i, digitsB = j;
    while (i < a.size() && IsAsciiDigit(a[i]))
        ++i;
    while (j < b.size() && IsAsciiDigit(b[j]))
        ++j;
    const qsizetype lengthA = i - digitsA, lengthB = j - digitsB;
    if (lengthA != lengthB)
        return Sign(lengthA - lengthB);
    for (qsizetype k = 0; k < lengthA; ++k) {
        if (a[digitsA + k] != b[digitsB + k])
            return a[digitsA + k] < b[digitsB + k] ? -1 : 1;
    }
    if (zerosTie == 0)
        zerosTie = Sign(zerosA - zerosB);
    return 0;
}

}  // namespace

int CompareNamesNaturally(QStringView a, QStringView b) {
    qsizetype i = 0, j = 0;
    int zerosTie = 0;
    while (i < a.size() && j < b.size()) {
        if (IsAsciiDigit(a[i]) && IsAsciiDigit(b[j])) {
            if (int c = CompareNumbers(a, i, b, j, zerosTie))
                return c;
            continue;
        }
        const char32_t ca = QChar::toCaseFolded(a[i].unicode());
        const char32_t cb = QChar::toCaseFolded(b[j].unicode());
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    if (zerosTie)
        return zerosTie;
    return Sign(a.compare(b, Qt::CaseSensitive));
}

}  // namespace kelvara::foldertree
