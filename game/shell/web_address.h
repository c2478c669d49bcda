// Opening a web address in the user's browser.
#pragma once

#include <string>
#include <string_view>

// The address as it is opened: unchanged when it begins with "http://", "https://" or "mailto:" (compared byte for
// byte, so upper case counts as another beginning), otherwise with "http://" put in front.
std::string WebAddressToOpen(std::string_view text);
// Opens the address; nothing is reported when it fails.
void OpenWebAddress(std::string_view text);
