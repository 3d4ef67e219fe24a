#include "highlight/keyword_list_walk.h"

namespace kelvara::highlight {

void ForEachKeyword(int kind, std::u16string_view list, const WordCharTest& isWordChar,
                    const KeywordCallback& callback) {
    if (!callback || !isWordChar) {
        return;
    }
    size_t i = 0;
    const size_t end = list.size();
    while (i < end) {
        while (i < end && list[i] != u'\0' && !isWordChar(list[i])) {
            ++i;
        }
        if (i >= end || list[i] == u'\0') {
            return;
        }
        const size_t start = i;
        while (i < end && list[i] != u'\0' && isWordChar(list[i])) {
            ++i;
        }
        callback(list.substr(start, i - start), kind);
        if (i < end && list[i] == u'\0') {
            return;
        }
        ++i;  // past the character that ended the keyword
    }
}

}  // namespace kelvara::highlight
