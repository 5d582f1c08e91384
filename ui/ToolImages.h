// The toolbar's images at every scale: the 16-pixel XPM where 16 pixels are
// wanted, the same subject drawn afresh at any other size, so that a screen
// scaled by 1.5 or 2 shows sharp glyphs instead of doubled pixels. The
// monochrome glyphs take the theme's text colour, so they read on a dark
// toolbar as on a light one; coloured parts keep their colours.
#pragma once

#include <wx/bmpbndl.h>
#include <wx/colour.h>
#include <wx/image.h>

// The subjects, one per toolbar image.
enum class TToolGlyph {
    Clear,
    Exponent,
    Root,
    Pi,
    LeftParenthesis,
    RightParenthesis,
    MemoryStore,
    MemoryRetrieve,
    MemoryClear
};

// The image of glyph in ink (for its black parts); xpm is its 16-pixel image.
wxBitmapBundle ToolImageBundle(TToolGlyph glyph, const char* const* xpm, const wxColour& ink);

// The image with its black pixels in ink and its dark red in the red that
// goes with ink; other colours and transparency as they are.
wxImage RecolouredImage(wxImage image, const wxColour& ink);

// The red of the exponent's "y" beside ink: the images' own dark red beside
// dark ink, a light red that reads on a dark toolbar beside light ink.
wxColour AccentRed(const wxColour& ink);

// The glyph drawn at size x size pixels on a transparent background.
wxImage DrawnToolImage(TToolGlyph glyph, int size, const wxColour& ink);
