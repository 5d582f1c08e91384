// The engine's ordered token list, which only the engine sees.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "EquationEngine.h"

// A token as the list holds it. Text views the list's storage: it stays
// valid until the list next changes.
struct TTokenView {
    TTokenKind Kind = tkNumber;
    std::string_view Text;
    std::size_t Position = 0;

    operator TToken() const { return TToken{Kind, std::string(Text), Position}; }
};

// The engine's ordered token list. Tokens are linked rather than packed so
// that an operation removes its operator and right operand in constant time;
// an index names one token for as long as it stays in the list, and indices
// follow the order of the list.
//
// Memory: 17 bytes per token and one per byte of the equation. A token is
// an offset and a length into a copy of the equation; a token given a text
// of its own (a computed number) gets a record with its position, and the
// text goes to a second store, in place of its former text where that was
// long enough. Equations are limited to 4 GiB.
class TTokenList {
public:
    using TIndex = std::uint32_t;
    static constexpr TIndex None = ~TIndex{0};     // "nothing found" and the end of the list
    static constexpr std::size_t KeptNodes = 4096; // storage Clear keeps for the next equation

    // Empties the list and takes a copy of the text the tokens will come from.
    void Start(std::string_view source);
    void Clear() { Start({}); }
    [[nodiscard]] std::size_t Count() const { return Size; }
    // The token at source[position, position + length).
    TIndex Append(TTokenKind kind, std::size_t position, std::size_t length);
    void Erase(TIndex index);

    [[nodiscard]] TTokenView operator[](TIndex index) const
    {
        return TTokenView{KindOf(index), TextOf(index), PositionOf(index)};
    }
    [[nodiscard]] TTokenKind KindOf(TIndex index) const { return static_cast<TTokenKind>(Kinds[index] & KindMask); }
    [[nodiscard]] std::string_view TextOf(TIndex index) const
    {
        const TNode& node = Nodes[index];
        return (Kinds[index] & HasRecord) != 0
                   ? std::string_view(Computed).substr(Records[node.Start].Start, node.Length)
                   : std::string_view(Source).substr(node.Start, node.Length);
    }
    [[nodiscard]] std::size_t PositionOf(TIndex index) const
    {
        return (Kinds[index] & HasRecord) != 0 ? Records[Nodes[index].Start].Position : Nodes[index].Start;
    }
    // Gives the token a text of its own.
    void SetText(TIndex index, std::string_view text);
    // A number for the token, below RecordCount(), that stays its own while
    // it is in the list; made on first use.
    std::uint32_t Record(TIndex index);
    [[nodiscard]] std::size_t RecordCount() const { return Records.size(); }
    // The record of a token that has one.
    [[nodiscard]] std::uint32_t RecordOf(TIndex index) const { return Nodes[index].Start; }

    [[nodiscard]] TIndex First() const { return Head; }
    [[nodiscard]] TIndex Next(TIndex index) const { return Nodes[index].Next; }
    [[nodiscard]] TIndex Prev(TIndex index) const { return Nodes[index].Prev; }
    // One past the highest index handed out since the last Clear.
    [[nodiscard]] TIndex IndexLimit() const { return static_cast<TIndex>(Nodes.size()); }

private:
    static constexpr std::uint8_t KindMask = 0x7F;
    static constexpr std::uint8_t HasRecord = 0x80;

    // Start is an offset in Source, or with HasRecord the token's record.
    struct TNode {
        std::uint32_t Start;
        std::uint32_t Length;
        TIndex Prev;
        TIndex Next;
    };
    struct TRecord {
        std::uint32_t Position;
        std::uint32_t Start;    // in Computed
        std::uint32_t Capacity; // room at Start
    };

    std::vector<TNode> Nodes;
    std::vector<std::uint8_t> Kinds; // the kind, and HasRecord
    std::vector<TRecord> Records;
    std::string Source;
    std::string Computed;
    TIndex Head = None;
    TIndex Tail = None;
    std::size_t Size = 0;
};
