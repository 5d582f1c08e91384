// Opens a web address with the user's default browser. Failures are silent.
#pragma once

#include <string>

void OpenWebAddress(const std::string& address);
