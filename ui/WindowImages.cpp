#include "WindowImages.h"

#include <wx/icon.h>
#include <wx/image.h>

#include <iterator>

#include "ToolImages.h"

#include "Images/calculator.xpm"
#include "Images/clear.xpm"
#include "Images/exponent.xpm"
#include "Images/lparenthesis.xpm"
#include "Images/mc.xpm"
#include "Images/mr.xpm"
#include "Images/ms.xpm"
#include "Images/pi.xpm"
#include "Images/root.xpm"
#include "Images/rparenthesis.xpm"

const char* const WindowIconKey = "Images/calculator.xpm";

namespace {

struct TImage {
    const char* Key;
    const char* const* Data;
};

// By TToolGlyph: the glyph drawn at other sizes is the one of the same place.
constexpr TImage ToolImages[] = {
    {"Images/clear.xpm", clear_xpm},
    {"Images/exponent.xpm", exponent_xpm},
    {"Images/root.xpm", root_xpm},
    {"Images/pi.xpm", pi_xpm},
    {"Images/lparenthesis.xpm", lparenthesis_xpm},
    {"Images/rparenthesis.xpm", rparenthesis_xpm},
    {"Images/ms.xpm", ms_xpm},
    {"Images/mr.xpm", mr_xpm},
    {"Images/mc.xpm", mc_xpm},
};
static_assert(std::size(ToolImages) == static_cast<std::size_t>(TToolGlyph::MemoryClear) + 1,
              "one image per glyph, in the glyphs' order");

const TImage* Find(const wxString& key)
{
    for (const TImage& image : ToolImages) {
        if (key == image.Key) {
            return &image;
        }
    }
    return nullptr;
}

// The 32-pixel image is the design; 64 and 128 are exact enlargements of
// it; 16 halves the design and 48 its threefold enlargement, each pixel the
// average of four weighted by their opacity, so that edges do not take the
// transparent pixels' colour.
wxImage Enlarged(const wxImage& image, int factor)
{
    return image.Scale(image.GetWidth() * factor, image.GetHeight() * factor, wxIMAGE_QUALITY_NEAREST);
}

wxImage Halved(const wxImage& image)
{
    const int width = image.GetWidth() / 2;
    const int height = image.GetHeight() / 2;
    wxImage half(width, height);
    half.InitAlpha();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int weight = 0;
            int red = 0, green = 0, blue = 0;
            for (int dy = 0; dy < 2; ++dy) {
                for (int dx = 0; dx < 2; ++dx) {
                    const int a = image.GetAlpha(2 * x + dx, 2 * y + dy);
                    weight += a;
                    red += a * image.GetRed(2 * x + dx, 2 * y + dy);
                    green += a * image.GetGreen(2 * x + dx, 2 * y + dy);
                    blue += a * image.GetBlue(2 * x + dx, 2 * y + dy);
                }
            }
            if (weight > 0) {
                half.SetRGB(x, y, static_cast<unsigned char>(red / weight), static_cast<unsigned char>(green / weight),
                            static_cast<unsigned char>(blue / weight));
            }
            half.SetAlpha(x, y, static_cast<unsigned char>(weight / 4));
        }
    }
    return half;
}

} // namespace

wxBitmap ToolBitmap(const wxString& key)
{
    const TImage* image = Find(key);
    return image != nullptr ? wxBitmap(image->Data) : wxNullBitmap;
}

wxBitmapBundle ToolBundle(const wxString& key, const wxColour& ink)
{
    const TImage* image = Find(key);
    if (image == nullptr) {
        return wxBitmapBundle();
    }
    const auto glyph = static_cast<TToolGlyph>(image - ToolImages);
    return ToolImageBundle(glyph, image->Data, glyph == TToolGlyph::Clear ? *wxBLACK : ink);
}

wxIcon WindowIcon(const wxString& key)
{
    return key == WindowIconKey ? wxIcon(calculator_xpm) : wxNullIcon;
}

wxIconBundle WindowIcons()
{
    wxImage design = wxBitmap(calculator_xpm).ConvertToImage();
    design.InitAlpha(); // the mask becomes transparency
    wxIconBundle icons;
    for (const wxImage& image :
         {Halved(design), design, Halved(Enlarged(design, 3)), Enlarged(design, 2), Enlarged(design, 4)}) {
        wxIcon icon;
        icon.CopyFromBitmap(wxBitmap(image));
        icons.AddIcon(icon);
    }
    return icons;
}
