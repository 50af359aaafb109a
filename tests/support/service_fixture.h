// Tests against the real service manager: every test starts and ends with
// neither gateway service installed and the system's rights in force.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/message_box_answerer.h"
#include "support/test_env.h"

// Stops and deletes a service directly, without the code under test.
void RemoveServiceDirectly(const char* name);
// Creates a service directly; false when the manager refuses.
bool CreateServiceDirectly(const char* name, const char* displayName, const std::string& binaryPath);
struct ServiceConfig {
  std::string binaryPath, displayName;
  DWORD startType = 0;
};
bool QueryServiceConfigDirectly(const char* name, ServiceConfig* config);

// Rights taken away: the manager cannot be opened with full access.
SC_HANDLE DenyFullAccess(DWORD access);

class ServiceTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The lines FWRULE.EXE has logged, sorted, once `count` have arrived (or
  // after 10 s): each install starts a helper without waiting for it, so
  // they finish in any order and after the install has returned.
  std::vector<std::string> FirewallRequests(size_t count);

  TempDataDirectory dir_{"svc"};
  MessageBoxAnswerer boxes_;
};
