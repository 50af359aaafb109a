#include "support/test_env.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "common/file_util.h"

namespace {
const char kRegistryKey[] = "SOFTWARE\\ZedSMS Lite";

// Sets the value, or deletes it when there is none.
void SetRegistryValue(const char* name, const std::string* value) {
  if (!value) {
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kRegistryKey, name);
    return;
  }
  ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, kRegistryKey, name, REG_SZ, value->c_str(),
                            static_cast<DWORD>(value->size() + 1)), ERROR_SUCCESS);
}
}  // namespace

TempDataDirectory::TempDataDirectory(const char* tag) {
  static int counter = 0;
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  char path[MAX_PATH];
  // Process ids come round again, so the start time keeps folders of earlier runs apart.
  wsprintfA(path, "%szed-%s-%lu-%lu-%d\\", temp, tag, GetCurrentProcessId(), GetTickCount(), ++counter);
  path_ = path;
  DeleteDirectoryTree(path_.c_str());
  CreateDirectoryPath(path_.c_str());
  SetRegistryValue("ProgramDataDirectory", &path_);
  SetRegistryValue("PrivateDataDirectory", &path_);
}

TempDataDirectory::~TempDataDirectory() {
  SetRegistryValue("ProgramDataDirectory", nullptr);
  SetRegistryValue("PrivateDataDirectory", nullptr);
  DeleteDirectoryTree(path_.c_str());
}

void TempDataDirectory::SetPrivateDirectory(const std::string& path) {
  SetRegistryValue("PrivateDataDirectory", &path);
}

std::string ProgramFolder() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder = path;
  return folder.substr(0, folder.rfind('\\') + 1);
}

int RunProgram(const std::string& executable, const std::string& arguments, DWORD timeoutMs) {
  std::string commandLine = "\"" + executable + "\" " + arguments;
  STARTUPINFOA startup = {sizeof startup};
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(executable.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    ADD_FAILURE() << "cannot start " << executable << ": " << GetLastError();
    return -1001;
  }
  CloseHandle(process.hThread);
  DWORD exitCode = static_cast<DWORD>(-1000);
  if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &exitCode);
  } else {
    ADD_FAILURE() << executable << " " << arguments << " did not end in time";
    TerminateProcess(process.hProcess, static_cast<UINT>(-1000));
  }
  CloseHandle(process.hProcess);
  return static_cast<int>(exitCode);
}

std::string ReadIni(const std::string& file, const char* section, const char* key, const char* fallback) {
  char value[4096];
  GetPrivateProfileStringA(section, key, fallback, value, sizeof value, file.c_str());
  return value;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The C library opens files shared, as the services and pages do.
void WriteFileText(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  ASSERT_TRUE(file << text) << path;
}

std::string ReadFileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}
