#include "ToolImages.h"

#include <wx/bitmap.h>
#include <wx/brush.h>
#include <wx/pen.h>
#include <wx/graphics.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

constexpr int DesignedSize = 16;

class TToolImage : public wxBitmapBundleImpl {
public:
    TToolImage(TToolGlyph glyph, const char* const* xpm, const wxColour& ink) : Glyph(glyph), Xpm(xpm), Ink(ink) {}

    wxSize GetDefaultSize() const override { return wxSize(DesignedSize, DesignedSize); }

    wxSize GetPreferredBitmapSizeAtScale(double scale) const override
    {
        const int side = static_cast<int>(std::lround(DesignedSize * scale));
        return wxSize(side, side);
    }

    wxBitmap GetBitmap(const wxSize& size) override
    {
        if (size == GetDefaultSize()) {
            return wxBitmap(RecolouredImage(wxBitmap(Xpm).ConvertToImage(), Ink));
        }
        return wxBitmap(DrawnToolImage(Glyph, std::min(size.x, size.y), Ink));
    }

private:
    TToolGlyph Glyph;
    const char* const* Xpm;
    wxColour Ink;
};

// Text centred in the square, as large as fits its share of it.
void DrawCentredText(wxGraphicsContext& gc, const wxString& text, double size, double share, const wxColour& ink,
                     bool bold, double x = 0, double y = 0, double box = -1)
{
    if (box < 0) {
        box = size;
    }
    double pixels = box * share;
    for (int attempt = 0; attempt < 8; ++attempt) {
        gc.SetFont(gc.CreateFont(pixels, "DejaVu Sans", bold ? wxFONTFLAG_BOLD : wxFONTFLAG_DEFAULT, ink));
        double width = 0, height = 0;
        gc.GetTextExtent(text, &width, &height);
        if (width <= box * 0.98 || attempt == 7) {
            gc.DrawText(text, x + (box - width) / 2, y + (box - height) / 2);
            return;
        }
        pixels *= box * 0.98 / width;
    }
}

void DrawEraser(wxGraphicsContext& gc, double s)
{
    auto at = [s](double x, double y) { return wxPoint2DDouble(x * s, y * s); };
    const wxPen outline(*wxBLACK, std::max(1, static_cast<int>(s / 16)));
    auto polygon = [&](std::initializer_list<wxPoint2DDouble> points, const wxColour& fill) {
        wxGraphicsPath path = gc.CreatePath();
        bool first = true;
        for (const wxPoint2DDouble& p : points) {
            if (first) {
                path.MoveToPoint(p);
            } else {
                path.AddLineToPoint(p);
            }
            first = false;
        }
        path.CloseSubpath();
        gc.SetBrush(wxBrush(fill));
        gc.SetPen(outline);
        gc.DrawPath(path);
    };
    // Top face in white and yellow stripes, front in grey, the end in olive.
    polygon({at(0.30, 0.20), at(0.95, 0.20), at(0.70, 0.50), at(0.05, 0.50)}, wxColour(0xFF, 0xFF, 0x00));
    polygon({at(0.52, 0.20), at(0.70, 0.20), at(0.45, 0.50), at(0.27, 0.50)}, *wxWHITE);
    polygon({at(0.05, 0.50), at(0.70, 0.50), at(0.70, 0.80), at(0.05, 0.80)}, wxColour(0xC6, 0xC6, 0xC6));
    polygon({at(0.70, 0.50), at(0.95, 0.20), at(0.95, 0.50), at(0.70, 0.80)}, wxColour(0xBD, 0xBD, 0x00));
}

void DrawRoot(wxGraphicsContext& gc, double s, const wxColour& ink)
{
    wxGraphicsPath path = gc.CreatePath();
    path.MoveToPoint(0.08 * s, 0.62 * s);
    path.AddLineToPoint(0.22 * s, 0.56 * s);
    path.AddLineToPoint(0.38 * s, 0.92 * s);
    path.AddLineToPoint(0.52 * s, 0.10 * s);
    path.AddLineToPoint(0.97 * s, 0.10 * s);
    gc.SetPen(wxPen(ink, std::max(1, static_cast<int>(std::lround(s / 12)))));
    gc.StrokePath(path);
    DrawCentredText(gc, "x", s, 1.4, ink, false, 0.52 * s, 0.22 * s, 0.45 * s);
    DrawCentredText(gc, "y", s, 1.3, ink, false, 0.0, 0.0, 0.32 * s);
}

} // namespace

namespace {
const wxColour DarkRed(0x84, 0x00, 0x00);
} // namespace

wxColour AccentRed(const wxColour& ink)
{
    // Light ink means a dark toolbar: the dark red would stand at about
    // 1.2:1 against it, this one at more than 4:1.
    return ink.GetLuminance() > 0.5 ? wxColour(0xFF, 0x6B, 0x6B) : DarkRed;
}

wxImage RecolouredImage(wxImage image, const wxColour& ink)
{
    if (ink != *wxBLACK && image.IsOk()) {
        // The mask colour is one the drawing does not use; black and the
        // red are not it.
        image.Replace(0, 0, 0, ink.Red(), ink.Green(), ink.Blue());
        const wxColour red = AccentRed(ink);
        if (red != DarkRed) {
            image.Replace(DarkRed.Red(), DarkRed.Green(), DarkRed.Blue(), red.Red(), red.Green(), red.Blue());
        }
    }
    return image;
}

wxImage DrawnToolImage(TToolGlyph glyph, int size, const wxColour& ink)
{
    wxImage image(size, size);
    image.InitAlpha();
    std::fill_n(image.GetAlpha(), static_cast<std::size_t>(size) * static_cast<std::size_t>(size), 0);
    std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(image));
    if (!gc) {
        return image;
    }
    gc->SetAntialiasMode(wxANTIALIAS_DEFAULT);
    const double s = size;
    switch (glyph) {
    case TToolGlyph::Clear:
        DrawEraser(*gc, s);
        break;
    case TToolGlyph::Exponent:
        DrawCentredText(*gc, "x", s, 1.3, ink, false, 0, 0.25 * s, 0.7 * s);
        DrawCentredText(*gc, "y", s, 1.2, AccentRed(ink), false, 0.55 * s, 0, 0.45 * s);
        break;
    case TToolGlyph::Root:
        DrawRoot(*gc, s, ink);
        break;
    case TToolGlyph::Pi:
        DrawCentredText(*gc, wxString::FromUTF8("\xCF\x80"), s, 1.35, ink, true);
        break;
    case TToolGlyph::LeftParenthesis:
        DrawCentredText(*gc, "(", s, 1.15, ink, true);
        break;
    case TToolGlyph::RightParenthesis:
        DrawCentredText(*gc, ")", s, 1.15, ink, true);
        break;
    case TToolGlyph::MemoryStore:
        DrawCentredText(*gc, "MS", s, 0.8, ink, false);
        break;
    case TToolGlyph::MemoryRetrieve:
        DrawCentredText(*gc, "MR", s, 0.8, ink, false);
        break;
    case TToolGlyph::MemoryClear:
        DrawCentredText(*gc, "MC", s, 0.8, ink, false);
        break;
    }
    gc.reset(); // draws into the image
    return image;
}

wxBitmapBundle ToolImageBundle(TToolGlyph glyph, const char* const* xpm, const wxColour& ink)
{
    return wxBitmapBundle::FromImpl(new TToolImage(glyph, xpm, ink));
}
