#include "WebBrowser.h"

#include <wx/string.h>
#include <wx/utils.h>

void OpenWebAddress(const std::string& address)
{
    wxLaunchDefaultBrowser(wxString::FromUTF8(address.c_str()));
}
