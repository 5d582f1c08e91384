#include "Fonts.h"

#include <wx/settings.h>

namespace {

// Courier New and its metric twins draw digits about a sixth shorter than a
// sans-serif face of the same size draws capitals: this much larger, the
// field text is at least as tall as the labels beside it.
constexpr double FieldFontScale = 1.2;

} // namespace

double DesktopPointSize()
{
    const wxFont desktop = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    return desktop.IsOk() ? desktop.GetFractionalPointSize() : 10.0;
}

wxFont DialogFont(bool underlined)
{
    return wxFont(
        wxFontInfo(DesktopPointSize()).Family(wxFONTFAMILY_SWISS).Underlined(underlined).FaceName("MS Sans Serif"));
}

// The face name is matched by fontconfig (a metric-compatible Courier New
// where one is installed); the teletype family keeps the substitute
// fixed-pitch where no alias for the face exists.
wxFont FieldFont()
{
    return wxFont(
        wxFontInfo(DesktopPointSize() * FieldFontScale).Family(wxFONTFAMILY_TELETYPE).FaceName("Courier New"));
}
