#include "collection/row_ordering.h"

namespace kelvara::collection {
namespace {

template <typename T>
int Order(const T& key1, const T& key2, bool ascending) {
    if (key1 > key2)
        return ascending ? 1 : -1;
    if (key1 < key2)
        return ascending ? -1 : 1;
    return 0;
}

}  // namespace

void ApplyColumnClick(SortState& state, int column) {
    if (column - 1 == state.sortColumn)
        state.sortAscending = !state.sortAscending;
    state.sortColumn = column - 1;
}

int CompareRows(const WidgetRow& row1, const WidgetRow& row2, const SortState& state) {
    // std::string compares bytes as unsigned char, which is the byte-wise order wanted here.
    switch (state.sortColumn) {
        case -1:
            return Order(row1.caption, row2.caption, state.sortAscending);
        case 0:
            return Order(row1.widgetName, row2.widgetName, state.sortAscending);
        case 1:
            return Order(row1.size, row2.size, state.sortAscending);
        case 2:
            return Order(row1.dateText, row2.dateText, state.sortAscending);
        default:
            return 0;
    }
}

std::string CaptionWithoutArrow(const std::string& caption) {
    if (caption.find('/') == std::string::npos)
        return caption;
    // The suffix is 5 ASCII characters, so cutting 5 bytes keeps the UTF-8 caption intact.
    return caption.size() >= 5 ? caption.substr(0, caption.size() - 5) : std::string();
}

std::string CaptionWithArrow(const std::string& caption, const SortState& state) {
    return caption + (state.sortAscending ? kArrowAscending : kArrowDescending);
}

}  // namespace kelvara::collection
