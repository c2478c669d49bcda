// What an activated element does: the opener's say first, then the element's SCRIPT ("QUIT", "BEEP") or HREF:
// web and mail addresses go to the desktop, page links open another file or show another section.
#include <cstring>

#include "host/shell.h"
#include "host/user.h"
#include "platform/core/core.h"
#include "platform/core/strings.h"
#include "platform/markup/interface_state.h"
#include "platform/markup/markup_characters.h"

using interface_internal::Notify;
using interface_internal::PageCall;
using interface_internal::RootOf;

namespace {

constexpr int32_t kWaitCursor = 32514;

bool IsExternal(const char* link) {
  return std::strstr(link, "://") != nullptr || std::strstr(link, "mailto:") != nullptr;
}

}  // namespace

PlatformError InterfacePage::ResolveLink(const char* link, char file[256], char section[256], bool* hasFile,
                                         bool* hasSection) {
  file[0] = section[0] = '\0';
  *hasFile = *hasSection = false;
  if (link == nullptr) return kPlatformNoError;
  if (std::strstr(link, "://") != nullptr) return kInterfaceErrWindowClass;
  const char* hash = std::strchr(link, '#');
  if (hash != nullptr) {
    PlatformCopyStringBounded(section, hash + 1, 256);
    *hasSection = section[0] != '\0';  // an empty section part names none
  }
  if (hash != link) {
    size_t length = hash != nullptr ? static_cast<size_t>(hash - link) : std::strlen(link);
    if (length > 255) length = 255;
    std::memcpy(file, link, length);
    file[length] = '\0';
    *hasFile = true;
  }
  return kPlatformNoError;
}

PlatformError InterfacePage::Activate(InterfacePage* page, InterfaceElement* element, const char* link) {
  if (!IsOpen(page) || element == nullptr || element->removed) return kPlatformNoError;
  PageCall call;
  int32_t answer = Notify(page, kPageElementActivated, nullptr, element);
  if (answer != 0) return answer;
  const char* href = link != nullptr && link[0] != '\0' ? link : nullptr;
  if (href == nullptr) {
    if (const char* script = GetMarkupAttribute(element->node, "SCRIPT"); script != nullptr) {
      char word[256];
      markup::UpperCase255(word, script);
      word[std::strcspn(word, " ()")] = '\0';
      if (std::strcmp(word, "QUIT") == 0) {
        InterfacePage* root = RootOf(page);
        const char* name = GetMarkupAttribute(element->node, "NAME");
        if (name != nullptr && root->result != nullptr) PlatformCopyStringBounded(root->result, name, 256);
        Close(root);
      } else if (std::strcmp(word, "BEEP") == 0) {
        MessageBeep(0);
      }
      return kPlatformNoError;
    }
    href = GetMarkupAttribute(element->node, "HREF");
    if (href == nullptr) return kPlatformNoError;
  }
  if (IsExternal(href)) return OpenExternalLink(href);
  char file[256], section[256];
  bool hasFile = false, hasSection = false;
  PlatformError error = ResolveLink(href, file, section, &hasFile, &hasSection);
  if (error != kPlatformNoError) return error;
  if (hasFile) return Open(page, page->folder, file, hasSection ? section : nullptr);
  return ShowSectionByName(page, hasSection ? section : nullptr);
}

PlatformError OpenExternalLink(const char* target) {
  if (target == nullptr) return kPlatformErrBadData;
  PlatformHandle* text = PlatformHandle::FromBytes(target, static_cast<uint32_t>(std::strlen(target)));
  PlatformError error = text != nullptr ? kPlatformNoError : kPlatformErrNoMemory;
  if (error == kPlatformNoError) error = EscapeMarkupText(text, true, true);
  if (error == kPlatformNoError) error = PlatformHandle::AppendBytes(text, "", 1);
  if (error == kPlatformNoError) {
    SetInterfaceCursor(kWaitCursor);
    auto opened = reinterpret_cast<uintptr_t>(ShellExecuteA(PlatformWindowHandle(), "open",
                                                            static_cast<const char*>(text->data), nullptr, nullptr,
                                                            SW_SHOWNORMAL));
    error = opened > 32 ? kPlatformNoError : static_cast<PlatformError>(opened);
  }
  if (text != nullptr) PlatformHandle::Dispose(text);
  if (error != kPlatformNoError) MessageBeep(0);
  return error;
}
