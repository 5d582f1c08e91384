// Every step of one evaluation, kept as changes so that any step's text, or
// any slice of it, can be read back without building the others.
//
// The step texts together grow with the square of the equation's length
// (30,000 operators give some 2 GB of them); the history needs near-linear
// memory. Its leaves are the scanned tokens, in order: a step's text is the
// texts of the tokens still alive at that step, joined. A tree of length
// sums over the leaves is kept for every step, sharing all but the few
// paths that a step changed, so a step costs O(log n) nodes and reading
// w characters of any step costs O((w + log n) log n).
//
// Fill it by handing it to the engine's Evaluate as the observer; Clear it
// before the next evaluation, or let OnFirstStep do so.
#pragma once

#include "EquationEngine.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class TStepHistory final : public TEvaluationObserver {
public:
    // Texts, sums and node counts are 32-bit, half the memory of the tree:
    // an equation whose steps need more is refused (as too long).
    static constexpr std::size_t DefaultLimit = std::numeric_limits<std::uint32_t>::max() / 2;

    explicit TStepHistory(std::size_t limit = DefaultLimit) : Limit(limit) {}

    // The part of a step that the next step reduces: an operator with its
    // operands, a group, or a group with the number joined to its value;
    // on the last step of a failed evaluation, the operation that failed.
    struct TMark {
        std::size_t Start = 0;
        std::size_t Length = 0; // 0 on the last step
    };

    void Clear();

    // Steps recorded: the first step, and one per change after it.
    [[nodiscard]] std::size_t Count() const { return Roots.size(); }
    [[nodiscard]] std::size_t LineLength(std::size_t line) const;
    // The longest step; the first unless results grew longer than their operations.
    [[nodiscard]] std::size_t LongestLine() const { return Longest; }
    // Up to width characters of the step, from column on.
    [[nodiscard]] std::string Line(std::size_t line, std::size_t column = 0,
                                   std::size_t width = std::string::npos) const;
    // Appends the same slice to text; returns the characters appended.
    std::size_t AppendLine(std::string& text, std::size_t line, std::size_t column = 0,
                           std::size_t width = std::string::npos) const;
    [[nodiscard]] TMark MarkOf(std::size_t line) const;

    [[nodiscard]] bool WantsChanges() const override { return true; }
    bool OnFirstStep(std::string_view equation, std::span<const TTokenSpan> tokens) override;
    bool OnChange(const TStepChange& change) override;
    void OnFailure(std::size_t at, std::size_t length) override;

private:
    using TNodeIndex = std::uint32_t;
    // An inner node names its two children; a leaf (a range of one token)
    // names where its text starts in Texts. Sum is the text length below.
    struct TNode {
        TNodeIndex Left;
        TNodeIndex Right;
        std::uint32_t Sum;
    };
    // A leaf to set: the token, where its new text starts, its new length.
    struct TLeafUpdate {
        std::uint32_t Slot;
        std::uint32_t Text;
        std::uint32_t Length;
    };

    TNodeIndex Build(std::uint32_t low, std::uint32_t high, std::span<const TTokenSpan> tokens);
    TNodeIndex Update(TNodeIndex node, std::uint32_t low, std::uint32_t high, const TLeafUpdate* first,
                      const TLeafUpdate* last);
    std::size_t Collect(TNodeIndex node, std::uint32_t low, std::uint32_t high, std::size_t column, std::size_t width,
                        std::string& text) const;
    TNodeIndex NewNode(TNode node);
    [[nodiscard]] bool Fits(std::size_t value) const { return value <= Limit; }

    std::size_t Limit;
    std::vector<TNode> Nodes;
    std::vector<TNodeIndex> Roots; // one per step
    std::vector<TMark> Marks;      // one per change
    std::string Texts;             // the first step's token texts, then every number a step made
    std::uint32_t Slots = 0;       // leaves
    std::size_t Longest = 0;
};
