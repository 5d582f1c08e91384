// Two indexes over token numbers that the reduction keeps while tokens go:
// the operators still to apply, by level (TIndexSet), and the text length
// of every token (TLengthTree), which gives a token's offset in the step
// text. Both are sized once per equation; neither allocates afterwards.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

// A set of token indices that finds the smallest member at or above a bound
// in O(log64 n): one bit per index, and above it one summary bit per word,
// so that whole runs of consumed operators are skipped at once.
class TIndexSet {
public:
    // Room for indices below size, emptied when clear is set.
    void Reserve(std::size_t size, bool clear)
    {
        if (!Levels.empty() && Levels[0].size() * 64 >= size) {
            if (clear) {
                for (auto& level : Levels) {
                    std::fill(level.begin(), level.end(), 0);
                }
            }
            return;
        }
        std::size_t levels = 0;
        do {
            size = (size + 63) / 64;
            if (Levels.size() <= levels) {
                Levels.emplace_back();
            }
            Levels[levels++].assign(size, 0);
        } while (size > 1);
        Levels.resize(levels);
    }

    void Insert(std::size_t index)
    {
        for (auto& level : Levels) {
            std::uint64_t& word = level[index / 64];
            const bool wasEmpty = word == 0;
            word |= std::uint64_t{1} << (index % 64);
            if (!wasEmpty) {
                return;
            }
            index /= 64;
        }
    }

    void Erase(std::size_t index)
    {
        for (auto& level : Levels) {
            std::uint64_t& word = level[index / 64];
            word &= ~(std::uint64_t{1} << (index % 64));
            if (word != 0) {
                return;
            }
            index /= 64;
        }
    }

    // The smallest member >= index, or SIZE_MAX.
    [[nodiscard]] std::size_t Next(std::size_t index) const
    {
        std::size_t level = 0;
        for (;;) {
            if (level == Levels.size() || index / 64 >= Levels[level].size()) {
                return SIZE_MAX;
            }
            const std::uint64_t bits = Levels[level][index / 64] & (~std::uint64_t{0} << (index % 64));
            if (bits != 0) {
                index = (index & ~std::size_t{63}) | static_cast<std::size_t>(std::countr_zero(bits));
                break;
            }
            index = index / 64 + 1;
            ++level;
        }
        while (level > 0) {
            --level;
            index = index * 64 + static_cast<std::size_t>(std::countr_zero(Levels[level][index]));
        }
        return index;
    }

private:
    std::vector<std::vector<std::uint64_t>> Levels;
};

// Text lengths of the tokens by index (a Fenwick tree), so that a token's
// offset in the step text is found in O(log n) while tokens come and go.
class TLengthTree {
public:
    template <typename TLengthOf>
    void Build(std::size_t count, TLengthOf lengthOf)
    {
        Tree.assign(count + 1, 0);
        for (std::size_t i = 1; i <= count; ++i) {
            Tree[i] += lengthOf(i - 1);
            const std::size_t parent = i + (i & (0 - i));
            if (parent <= count) {
                Tree[parent] += Tree[i];
            }
        }
    }

    // delta may be "negative": the sums wrap back into range.
    void Add(std::size_t index, std::size_t delta)
    {
        for (std::size_t i = index + 1; i < Tree.size(); i += i & (0 - i)) {
            Tree[i] += delta;
        }
    }

    // Total length of the tokens below index: the offset of token index.
    [[nodiscard]] std::size_t Prefix(std::size_t index) const
    {
        std::size_t sum = 0;
        for (std::size_t i = index; i > 0; i &= i - 1) {
            sum += Tree[i];
        }
        return sum;
    }

private:
    std::vector<std::size_t> Tree;
};
