// A Shannon-Fano decoding tree of the implode method, as a two-way tree in a node array.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "archive/legacy_stream.h"

namespace kelvara::archive {

class ImplodeTree {
  public:
    // A tree for `symbols` symbols (256 or 64). Node indices below `symbols` are the leaves;
    // inner nodes are numbered downwards from the top of the array, the root being the last.
    explicit ImplodeTree(int symbols);

    // Reads the tree's run-length coded bit lengths and builds it. False when the description
    // does not cover exactly the tree's symbols, the input ends, or the codes are ambiguous
    // (one is a prefix of another).
    bool Read(LegacyBitReader& in);
    // Builds the tree from one bit length (1..16) per symbol.
    bool Build(const std::vector<uint8_t>& bitLengths);

    // Walks the tree with bits from `in` and returns the symbol reached; -1 for an empty
    // branch (a damaged stream, or zero bits past the end of input).
    int Decode(LegacyBitReader& in) const {
        int node = root_;
        for (;;) {
            const int next = slots_[node][in.Bit()];
            if (next < symbols_)
                return next;  // a leaf, or -1
            node = next;
        }
    }

  private:
    bool Insert(uint32_t code, int bitLength, int symbol);

    const int symbols_;
    const int root_;
    std::vector<std::array<int32_t, 2>> slots_;
    int nextFree_;
};

}  // namespace kelvara::archive
