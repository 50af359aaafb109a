// Test helpers: a temporary gateway data directory, the program folder, child
// processes of the console, profile files read back.
#pragma once
#include <windows.h>

#include <string>

// A fresh, empty data directory used as both the program data and the private
// data directory for the test's lifetime (through the machine-wide registry
// values, which the services read too). Removed afterwards.
class TempDataDirectory {
 public:
  explicit TempDataDirectory(const char* tag = "data");
  ~TempDataDirectory();
  TempDataDirectory(const TempDataDirectory&) = delete;
  TempDataDirectory& operator=(const TempDataDirectory&) = delete;

  // With a trailing backslash.
  const std::string& Path() const { return path_; }
  std::string File(const char* name) const { return path_ + name; }
  // Points the private data directory somewhere else.
  void SetPrivateDirectory(const std::string& path);

 private:
  std::string path_;
};

// Folder of the test executable (the program folder), with a trailing backslash.
std::string ProgramFolder();

// Starts an executable with arguments and waits for it; its exit status, or
// -1000 when it had to be killed after the time limit. A MessageBoxAnswerer
// for other processes answers the child's message boxes.
int RunProgram(const std::string& executable, const std::string& arguments, DWORD timeoutMs);

std::string ReadIni(const std::string& file, const char* section, const char* key,
                    const char* fallback = "");
bool FileExists(const std::string& path);
void WriteFileText(const std::string& path, const std::string& text);
std::string ReadFileText(const std::string& path);
