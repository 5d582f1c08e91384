// The fonts of the main window and About, in one place: both follow the
// desktop's text size, so that a larger desktop font grows the layout
// instead of clipping it.
#pragma once

#include <wx/font.h>

// The desktop's own text size, in points.
double DesktopPointSize();
// Labels, menus and buttons: the desktop's size in a sans-serif face.
wxFont DialogFont(bool underlined = false);
// The fixed-pitch font of the equation, result and steps fields.
wxFont FieldFont();
