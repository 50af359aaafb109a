// An Application event log for tests, served from real EVENTLOGRECORD bytes.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct FakeEvent {
  std::string source;
  WORD type;
  std::vector<std::string> strings;
};

class FakeEventLogScope {
 public:
  FakeEventLogScope();
  ~FakeEventLogScope();
  void Add(const FakeEvent& event);
  bool failOpen = false;
  int clears = 0;
};
