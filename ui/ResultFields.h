// The result fields, top to bottom: the one list the window's layout, fonts,
// colours, scroll cues, accessible names and the calculate command go
// through.
#pragma once

#include <wx/defs.h>
#include <wx/intl.h>

#include <string>

#include "BaseConversion.h"
#include "ids.h"

struct TResultField {
    wxWindowID Id;
    const char* Label; // shown beside the field, translated
    const char* Name;  // what a screen reader says for it, translated
    int LabelWidth;    // the label's least width; wxDefaultCoord: its text's
    // Its digits of the result's integer part; null for the decimal field,
    // which shows the result itself.
    std::string (*Digits)(const TIntegerPart& part);
};

inline constexpr TResultField ResultFieldTable[] = {
    // TRANSLATORS: a result field's label, then what a screen reader says
    // for the field (never shown).
    {ids::txtDecimal, wxTRANSLATE("Decimal:"), wxTRANSLATE("Decimal"), 67, nullptr},
    {ids::txtHexadecimal, wxTRANSLATE("Hexadecimal:"), wxTRANSLATE("Hexadecimal"), wxDefaultCoord,
     IntegerPartToHexadecimal},
    {ids::txtOctal, wxTRANSLATE("Octal:"), wxTRANSLATE("Octal"), wxDefaultCoord, IntegerPartToOctal},
    {ids::txtBinary, wxTRANSLATE("Binary:"), wxTRANSLATE("Binary"), wxDefaultCoord, IntegerPartToBinary},
};
inline constexpr std::size_t ResultFieldCount = std::size(ResultFieldTable);
