#include "archive/implode_tree.h"

#include <algorithm>
#include <numeric>

namespace kelvara::archive {

namespace {

constexpr int32_t kEmpty = -1;
constexpr int kMaxBitLength = 16;

}  // namespace

ImplodeTree::ImplodeTree(int symbols)
    : symbols_(symbols),
      root_(2 * symbols - 1),
      slots_(2 * symbols, {kEmpty, kEmpty}),
      nextFree_(2 * symbols - 2) {}

bool ImplodeTree::Read(LegacyBitReader& in) {
    std::vector<uint8_t> bitLengths;
    bitLengths.reserve(symbols_);
    const uint32_t bytes = in.Bits(8) + 1;
    for (uint32_t i = 0; i < bytes; ++i) {
        const uint32_t b = in.Bits(8);
        const uint32_t repeat = (b >> 4) + 1;
        const uint8_t bitLength = static_cast<uint8_t>((b & 0x0F) + 1);
        if (bitLengths.size() + repeat > static_cast<size_t>(symbols_))
            return false;
        bitLengths.insert(bitLengths.end(), repeat, bitLength);
    }
    if (in.Overrun() || bitLengths.size() != static_cast<size_t>(symbols_))
        return false;
    return Build(bitLengths);
}

bool ImplodeTree::Build(const std::vector<uint8_t>& bitLengths) {
    // Entries ordered by bit length, then by symbol; codes are handed out from the last entry
    // (the longest code) to the first with a running 16-bit code.
    std::vector<int> order(symbols_);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return bitLengths[a] < bitLengths[b]; });

    uint32_t code = 0;
    uint32_t increment = 0;
    int lastBitLength = 0;
    for (int i = symbols_ - 1; i >= 0; --i) {
        const int symbol = order[i];
        const int bitLength = bitLengths[symbol];
        if (bitLength < 1 || bitLength > kMaxBitLength)
            return false;
        code = (code + increment) & 0xFFFF;
        if (bitLength != lastBitLength) {
            lastBitLength = bitLength;
            increment = 1u << (kMaxBitLength - bitLength);
        }
        if (!Insert(code >> (kMaxBitLength - bitLength), bitLength, symbol))
            return false;
    }
    return true;
}

bool ImplodeTree::Insert(uint32_t code, int bitLength, int symbol) {
    int node = root_;
    for (int bit = bitLength - 1; bit > 0; --bit) {
        int32_t& slot = slots_[node][(code >> bit) & 1];
        if (slot == kEmpty) {
            if (nextFree_ < symbols_)
                return false;  // more inner nodes than a tree can have
            slot = nextFree_--;
        } else if (slot < symbols_) {
            return false;  // a shorter code is a prefix of this one
        }
        node = slot;
    }
    int32_t& last = slots_[node][code & 1];
    if (last != kEmpty)
        return false;  // the code is taken, or is a prefix of a longer one
    last = symbol;
    return true;
}

}  // namespace kelvara::archive
