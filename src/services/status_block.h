// The shared-memory status blocks the gateway services publish. The console
// opens them, never creates them, and maps them only while it uses them.
#pragma once
#include <windows.h>

// Offsets of the bytes the console uses.
constexpr size_t kStopRequestByte = 0;
constexpr size_t kWebPortInUseByte = 2;     // SMS block
constexpr size_t kMm7PortInUseByte = 2;     // MMS block
constexpr size_t kSmppPortInUseByte = 4;    // both blocks

extern const char* const kSmsStatusBlockNames[2];
extern const char* const kMmsStatusBlockNames[2];

struct StatusBlock {
  HANDLE mapping = nullptr;
  volatile unsigned char* view = nullptr;
};

bool OpenSmsStatusBlock(StatusBlock* block);
bool OpenMmsStatusBlock(StatusBlock* block);
void CloseSmsStatusBlock(StatusBlock* block);
void CloseMmsStatusBlock(StatusBlock* block);

// Sets StopRequest of the SMS block when the block exists.
void RequestSmsServiceStop();
