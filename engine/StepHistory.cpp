#include "StepHistory.h"

#include <algorithm>
#include <bit>

void TStepHistory::Clear()
{
    Nodes.clear();
    Roots.clear();
    Marks.clear();
    Texts.clear();
    Slots = 0;
    Longest = 0;
    // A huge equation's memory is not kept for the next one.
    constexpr std::size_t Kept = std::size_t{1} << 16;
    if (Nodes.capacity() > Kept) {
        Nodes.shrink_to_fit();
        Roots.shrink_to_fit();
        Marks.shrink_to_fit();
        Texts.shrink_to_fit();
    }
}

TStepHistory::TNodeIndex TStepHistory::NewNode(TNode node)
{
    Nodes.push_back(node);
    return static_cast<TNodeIndex>(Nodes.size() - 1);
}

bool TStepHistory::OnFirstStep(std::string_view equation, std::span<const TTokenSpan> tokens)
{
    Clear();
    // A tree of 2n - 1 nodes over n tokens.
    if (!Fits(equation.size()) || !Fits(std::size_t{2} * tokens.size())) {
        return false;
    }
    Texts.assign(equation);
    Slots = static_cast<std::uint32_t>(tokens.size());
    Nodes.reserve(std::size_t{2} * Slots);
    Roots.push_back(Slots == 0 ? NewNode({0, 0, 0}) : Build(0, Slots, tokens));
    Longest = equation.size();
    return true;
}

TStepHistory::TNodeIndex TStepHistory::Build(std::uint32_t low, std::uint32_t high, std::span<const TTokenSpan> tokens)
{
    if (high - low == 1) {
        return NewNode({tokens[low].Start, 0, tokens[low].Length});
    }
    const std::uint32_t middle = low + (high - low) / 2;
    const TNodeIndex left = Build(low, middle, tokens);
    const TNodeIndex right = Build(middle, high, tokens);
    return NewNode({left, right, Nodes[left].Sum + Nodes[right].Sum});
}

bool TStepHistory::OnChange(const TStepChange& change)
{
    if (Roots.empty()) {
        return true;
    }
    // A step copies at most one path of the tree's depth per token it changes.
    const std::size_t depth = std::bit_width(std::size_t{Slots}) + 1;
    if (!Fits(Texts.size() + change.Text.size()) || !Fits(Nodes.size() + 4 * depth)) {
        return false;
    }
    TLeafUpdate updates[4];
    std::size_t count = 0;
    updates[count++] = {static_cast<std::uint32_t>(change.Keeper), static_cast<std::uint32_t>(Texts.size()),
                        static_cast<std::uint32_t>(change.Text.size())};
    for (std::size_t i = 0; i < change.GoneCount; ++i) {
        updates[count++] = {static_cast<std::uint32_t>(change.Gone[i]), 0, 0};
    }
    std::sort(updates, updates + count, [](const TLeafUpdate& a, const TLeafUpdate& b) { return a.Slot < b.Slot; });
    Texts += change.Text;
    Marks.push_back({change.At, change.Length});
    const TNodeIndex root = Update(Roots.back(), 0, Slots, updates, updates + count);
    Roots.push_back(root);
    Longest = std::max<std::size_t>(Longest, Nodes[root].Sum);
    return true;
}

void TStepHistory::OnFailure(std::size_t at, std::size_t length)
{
    if (!Roots.empty() && Marks.size() < Roots.size()) {
        Marks.push_back({at, length});
    }
}

// A copy of the path from node down to every updated leaf; the rest is shared.
TStepHistory::TNodeIndex TStepHistory::Update(TNodeIndex node, std::uint32_t low, std::uint32_t high,
                                              const TLeafUpdate* first, const TLeafUpdate* last)
{
    if (first == last) {
        return node;
    }
    if (high - low == 1) {
        return NewNode({first->Text, 0, first->Length});
    }
    const std::uint32_t middle = low + (high - low) / 2;
    const TLeafUpdate* split =
        std::partition_point(first, last, [middle](const TLeafUpdate& u) { return u.Slot < middle; });
    // Read the children before NewNode can move the nodes.
    const TNode old = Nodes[node];
    const TNodeIndex left = Update(old.Left, low, middle, first, split);
    const TNodeIndex right = Update(old.Right, middle, high, split, last);
    return NewNode({left, right, Nodes[left].Sum + Nodes[right].Sum});
}

std::size_t TStepHistory::LineLength(std::size_t line) const
{
    return line < Roots.size() ? Nodes[Roots[line]].Sum : 0;
}

TStepHistory::TMark TStepHistory::MarkOf(std::size_t line) const
{
    return line < Marks.size() ? Marks[line] : TMark{};
}

std::string TStepHistory::Line(std::size_t line, std::size_t column, std::size_t width) const
{
    std::string text;
    AppendLine(text, line, column, width);
    return text;
}

std::size_t TStepHistory::AppendLine(std::string& text, std::size_t line, std::size_t column, std::size_t width) const
{
    const std::size_t length = LineLength(line);
    if (column >= length || width == 0) {
        return 0;
    }
    width = std::min(width, length - column);
    text.reserve(text.size() + width);
    return Collect(Roots[line], 0, Slots, column, width, text);
}

std::size_t TStepHistory::Collect(TNodeIndex node, std::uint32_t low, std::uint32_t high, std::size_t column,
                                  std::size_t width, std::string& text) const
{
    const TNode& n = Nodes[node];
    if (width == 0 || column >= n.Sum) {
        return 0;
    }
    if (high - low == 1) {
        const std::size_t taken = std::min<std::size_t>(width, n.Sum - column);
        text.append(Texts, n.Left + column, taken);
        return taken;
    }
    const std::uint32_t middle = low + (high - low) / 2;
    const std::uint32_t leftSum = Nodes[n.Left].Sum;
    std::size_t taken = 0;
    if (column < leftSum) {
        taken = Collect(n.Left, low, middle, column, width, text);
    }
    const std::size_t rightColumn = column + taken > leftSum ? column + taken - leftSum : 0;
    return taken + Collect(n.Right, middle, high, rightColumn, width - taken, text);
}
