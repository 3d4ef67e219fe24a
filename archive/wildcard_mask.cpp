#include "archive/wildcard_mask.h"

#include <string>
#include <vector>

namespace kelvara::archive {
namespace {

// A compiled mask: kAnyRun for a "*" group, kAnyOne for "?", otherwise a literal character.
constexpr int kAnyRun = -1;
constexpr int kAnyOne = -2;

std::vector<int> Compile(std::string_view mask) {
    std::vector<int> items;
    for (char c : mask) {
        const bool afterRun = !items.empty() && items.back() == kAnyRun;
        if (c == '*') {
            if (!afterRun)
                items.push_back(kAnyRun);
        } else if (c == '?') {
            if (!afterRun)
                items.push_back(kAnyOne);
        } else {
            items.push_back(static_cast<unsigned char>(c));
        }
    }
    return items;
}

int Lower(int c) {
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

}  // namespace

bool MatchesMask(std::string_view mask, std::string_view subjectIn) {
    std::string subject(subjectIn);
    if (!mask.empty() && mask.back() == '.' && subject.find('.') == std::string::npos) {
        subject += '.';
    }
    const std::vector<int> items = Compile(mask);
    // Greedy matching with backtracking to the latest "*" only, which is enough for masks made
    // of literals, "?" and "*".
    size_t i = 0, s = 0;
    size_t runItem = std::string::npos, runSubject = 0;
    while (s < subject.size()) {
        if (i < items.size() && items[i] == kAnyRun) {
            runItem = i++;
            runSubject = s;
        } else if (i < items.size() &&
                   (items[i] == kAnyOne ||
                    Lower(items[i]) == Lower(static_cast<unsigned char>(subject[s])))) {
            ++i;
            ++s;
        } else if (runItem != std::string::npos) {
            i = runItem + 1;
            s = ++runSubject;
        } else {
            return false;
        }
    }
    while (i < items.size() && items[i] == kAnyRun)
        ++i;
    return i == items.size();
}

}  // namespace kelvara::archive
