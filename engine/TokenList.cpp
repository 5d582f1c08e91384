#include "TokenList.h"

#include <algorithm>

namespace {

bool IsNumberCharacter(char c)
{
    return (c >= '0' && c <= '9') || c == '.';
}

} // namespace

void TTokenList::Start(std::string_view source)
{
    // Storage is kept for reuse, but not the memory of a huge equation.
    if (Nodes.capacity() > KeptNodes) {
        Nodes = {};
        Kinds = {};
        Records = {};
        Source = {};
        Computed = {};
    }
    Nodes.clear();
    Kinds.clear();
    Records.clear();
    Computed.clear();
    Source.assign(source);
    // A huge equation gets room for its tokens at once, not by doubling,
    // which would at times hold three times their size. Every number
    // follows an operator or parenthesis but the first, so there are at
    // most twice as many tokens as those, plus one.
    if (source.size() > KeptNodes) {
        const std::size_t marks = static_cast<std::size_t>(
            std::count_if(source.begin(), source.end(), [](char c) { return !IsNumberCharacter(c) && c != ' '; }));
        const std::size_t bound = std::min(source.size(), 2 * marks + 1);
        Nodes.reserve(bound);
        Kinds.reserve(bound);
    }
    Head = Tail = None;
    Size = 0;
}

TTokenList::TIndex TTokenList::Append(TTokenKind kind, std::size_t position, std::size_t length)
{
    const auto index = static_cast<TIndex>(Nodes.size());
    Nodes.push_back(TNode{static_cast<std::uint32_t>(position), static_cast<std::uint32_t>(length), Tail, None});
    Kinds.push_back(static_cast<std::uint8_t>(kind));
    if (Tail == None) {
        Head = index;
    } else {
        Nodes[Tail].Next = index;
    }
    Tail = index;
    ++Size;
    return index;
}

std::uint32_t TTokenList::Record(TIndex index)
{
    TNode& node = Nodes[index];
    if ((Kinds[index] & HasRecord) == 0) {
        // The text moves along: its place in the copy of the equation is
        // no room for longer ones.
        Records.push_back(TRecord{node.Start, static_cast<std::uint32_t>(Computed.size()), node.Length});
        Computed.append(Source, node.Start, node.Length);
        node.Start = static_cast<std::uint32_t>(Records.size() - 1);
        Kinds[index] |= HasRecord;
    }
    return node.Start;
}

void TTokenList::SetText(TIndex index, std::string_view text)
{
    TRecord& record = Records[Record(index)];
    if (text.size() <= record.Capacity) {
        Computed.replace(record.Start, text.size(), text);
    } else {
        record.Start = static_cast<std::uint32_t>(Computed.size());
        record.Capacity = static_cast<std::uint32_t>(text.size());
        Computed.append(text);
    }
    Nodes[index].Length = static_cast<std::uint32_t>(text.size());
}

void TTokenList::Erase(TIndex index)
{
    TNode& node = Nodes[index];
    (node.Prev == None ? Head : Nodes[node.Prev].Next) = node.Next;
    (node.Next == None ? Tail : Nodes[node.Next].Prev) = node.Prev;
    node.Prev = node.Next = None;
    --Size;
}
