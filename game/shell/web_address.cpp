// Web links: the scheme rule and the hand-over to the system's opener.
#include "game/shell/web_address.h"

#include "host/shell.h"

std::string WebAddressToOpen(std::string_view text) {
  // The schemes are compared byte for byte, so "HTTP://x" counts as having none. Besides "http://", an address
  // that names "https://" or "mailto:" keeps it, so that "https://x" does not become "http://https://x".
  if (text.starts_with("http://") || text.starts_with("https://") || text.starts_with("mailto:")) {
    return std::string(text);
  }
  return "http://" + std::string(text);
}

void OpenWebAddress(std::string_view text) {
  const std::string address = WebAddressToOpen(text);
  ShellExecuteA(nullptr, nullptr, address.c_str(), nullptr, "c:\\", SW_SHOWNORMAL);
}
