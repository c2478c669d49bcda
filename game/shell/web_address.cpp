// Web links: the scheme rule and the hand-over to the system's opener.
#include "game/shell/web_address.h"

#include "host/shell.h"

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

}  // namespace

std::string WebAddressToOpen(std::string_view text) {
  // An address that names its scheme already keeps it, so "https://x" does not become "http://https://x".
  if (StartsWithNoCase(text, "http://") || StartsWithNoCase(text, "https://") || StartsWithNoCase(text, "mailto:")) {
    return std::string(text);
  }
  return "http://" + std::string(text);
}

void OpenWebAddress(std::string_view text) {
  const std::string address = WebAddressToOpen(text);
  ShellExecuteA(nullptr, nullptr, address.c_str(), nullptr, "c:\\", SW_SHOWNORMAL);
}
