// The images the program is built with (the toolbar's XPMs and the window
// icon), by the key each one is known by ("Images/pi.xpm"), in one table in
// the order of TToolGlyph. Lookups are linear in the nine keys; the icon
// bundle is scaled once per window.
#pragma once

#include <wx/bitmap.h>
#include <wx/bmpbndl.h>
#include <wx/colour.h>
#include <wx/iconbndl.h>
#include <wx/string.h>

// The 16-pixel toolbar image of key, or wxNullBitmap.
wxBitmap ToolBitmap(const wxString& key);
// The toolbar image of key at every scale, its black in ink (the eraser
// keeps its own colours); empty for an unknown key.
wxBitmapBundle ToolBundle(const wxString& key, const wxColour& ink);

// The key of the window icon, and the icon by its key (or wxNullIcon).
extern const char* const WindowIconKey;
wxIcon WindowIcon(const wxString& key);
// The window icon at the sizes window managers and task bars ask for.
wxIconBundle WindowIcons();
