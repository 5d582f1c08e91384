#include "WebBrowser.h"

#include <wx/log.h>
#include <wx/string.h>
#include <wx/utils.h>

void OpenWebAddress(const std::string& address)
{
    wxLogNull quiet; // no error box when no browser can be started
    wxLaunchDefaultBrowser(wxString::FromUTF8(address.c_str()));
}
