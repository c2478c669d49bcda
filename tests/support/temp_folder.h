// A fresh folder under the system's temporary folder for one test, removed with everything in it afterwards,
// with $KESTRIVAL_HOME pointed into it so that special folders never reach the user's home.
#pragma once

#include <string>

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Posix() const { return posix_; }      // "/tmp/kestrival-test-XXXXXX"
  const std::string& Windows() const { return windows_; }  // "C:\tmp\kestrival-test-XXXXXX"
  std::string PosixPath(const std::string& relative) const { return posix_ + "/" + relative; }
  std::string WindowsPath(const std::string& relative) const;

  // Writes `bytes` to a file (folders made as needed) and reads a whole file back ("" when missing).
  void WriteFile(const std::string& relative, const std::string& bytes) const;
  std::string ReadFile(const std::string& relative) const;
  bool Exists(const std::string& relative) const;

 private:
  std::string posix_;
  std::string windows_;
  std::string savedHome_;
  bool hadHome_ = false;
};
