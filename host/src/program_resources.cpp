// Finding and loading the program's own resources, and the program's icons (LoadIconA), decoded for the window
// icons of SDL windows.
#include "program_resources.h"

#include <png.h>

#include <cstdlib>
#include <cstring>

#include "host/kernel.h"
#include "host/resources.h"
#include "host/user.h"

namespace host {
namespace {

constexpr WORD kGroupIcon = 14;

// Resources the program also finds by a name: its icon is "IDI_APPICON".
struct NamedResource {
  const char* name;
  WORD id;
};
constexpr NamedResource kNamedResources[] = {{"IDI_APPICON", 12346}};

// A number from MAKEINTRESOURCEA, a "#number" text or a resource name; 0 for anything else.
WORD ResourceNumber(LPCSTR name) {
  if (name == nullptr) return 0;
  if (IS_INTRESOURCE(name)) return static_cast<WORD>(reinterpret_cast<uintptr_t>(name));
  for (const NamedResource& named : kNamedResources) {
    if (std::strcmp(name, named.name) == 0) return named.id;
  }
  if (name[0] != '#' || name[1] == '\0') return 0;
  char* end = nullptr;
  unsigned long value = std::strtoul(name + 1, &end, 10);
  return (*end == '\0' && value > 0 && value <= 0xFFFF) ? static_cast<WORD>(value) : 0;
}

bool IsProgramModule(HMODULE module) { return module == nullptr || module == GetModuleHandleA(nullptr); }

const ProgramResource* ResourceOf(const void* handle) {
  for (size_t i = 0; i < kProgramResourceCount; ++i) {
    if (handle == &kProgramResources[i]) return &kProgramResources[i];
  }
  return nullptr;
}

}  // namespace

const ProgramResource* FindProgramResource(WORD id, WORD type) {
  for (size_t i = 0; i < kProgramResourceCount; ++i) {
    if (kProgramResources[i].id == id && kProgramResources[i].type == type) return &kProgramResources[i];
  }
  return nullptr;
}

bool ProgramIconPixels(HICON icon, int* width, int* height, std::vector<uint32_t>* pixels) {
  const ProgramResource* resource = ResourceOf(icon);
  if (resource == nullptr || resource->type != kGroupIcon) return false;
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, resource->bytes, resource->size)) return false;
  image.format = PNG_FORMAT_BGRA;
  pixels->assign(static_cast<size_t>(image.width) * image.height, 0);
  if (!png_image_finish_read(&image, nullptr, pixels->data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  *width = static_cast<int>(image.width);
  *height = static_cast<int>(image.height);
  return true;
}

}  // namespace host

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
  if (!host::IsProgramModule(module)) return nullptr;
  WORD id = host::ResourceNumber(name);
  WORD kind = host::ResourceNumber(type);
  if (id == 0 || kind == 0) return nullptr;
  const host::ProgramResource* resource = host::FindProgramResource(id, kind);
  return reinterpret_cast<HRSRC>(const_cast<host::ProgramResource*>(resource));
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
  const host::ProgramResource* found = host::ResourceOf(resource);
  if (found == nullptr || !host::IsProgramModule(module)) return nullptr;
  return const_cast<unsigned char*>(found->bytes);
}

LPVOID LockResource(HGLOBAL loaded) { return loaded; }

DWORD SizeofResource(HMODULE module, HRSRC resource) {
  const host::ProgramResource* found = host::ResourceOf(resource);
  if (found == nullptr || !host::IsProgramModule(module)) return 0;
  return static_cast<DWORD>(found->size);
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
  // Only the program's own icons are offered; the system's are not.
  if (instance == nullptr || !host::IsProgramModule(instance)) return nullptr;
  const host::ProgramResource* icon = host::FindProgramResource(host::ResourceNumber(name), host::kGroupIcon);
  return reinterpret_cast<HICON>(const_cast<host::ProgramResource*>(icon));
}
