// The per-test temporary folder.
#include "tests/support/temp_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kestrival-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
  posix_ = pattern;
  windows_ = "C:";
  for (char c : posix_) windows_ += (c == '/') ? '\\' : c;
  if (const char* home = std::getenv("KESTRIVAL_HOME")) {
    hadHome_ = true;
    savedHome_ = home;
  }
  setenv("KESTRIVAL_HOME", (posix_ + "/home").c_str(), 1);
}

TempFolder::~TempFolder() {
  if (hadHome_) {
    setenv("KESTRIVAL_HOME", savedHome_.c_str(), 1);
  } else {
    unsetenv("KESTRIVAL_HOME");
  }
  std::error_code ignored;
  std::filesystem::permissions(posix_, std::filesystem::perms::owner_all, ignored);
  std::filesystem::remove_all(posix_, ignored);
}

std::string TempFolder::WindowsPath(const std::string& relative) const {
  std::string result = windows_ + "\\";
  for (char c : relative) result += (c == '/') ? '\\' : c;
  return result;
}

void TempFolder::WriteFile(const std::string& relative, const std::string& bytes) const {
  std::filesystem::path path = PosixPath(relative);
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TempFolder::ReadFile(const std::string& relative) const {
  std::ifstream in(PosixPath(relative), std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool TempFolder::Exists(const std::string& relative) const {
  return std::filesystem::exists(std::filesystem::symlink_status(PosixPath(relative)));
}
