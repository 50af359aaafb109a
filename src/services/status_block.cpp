#include "services/status_block.h"

const char* const kSmsStatusBlockNames[2] = {"ZED_SMSGW_ShMem", "Global\\ZED_SMSGW_ShMem"};
const char* const kMmsStatusBlockNames[2] = {"ZED_MMSC_ShMem", "Global\\ZED_MMSC_ShMem"};

namespace {

bool OpenStatusBlock(const char* const names[2], StatusBlock* block) {
  block->mapping = nullptr;
  block->view = nullptr;
  HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, names[0]);
  if (!mapping) mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, names[1]);
  if (!mapping) return false;
  void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
  if (!view) {
    CloseHandle(mapping);
    return false;
  }
  block->mapping = mapping;
  block->view = static_cast<volatile unsigned char*>(view);
  return true;
}

void CloseStatusBlock(StatusBlock* block) {
  if (block->view) UnmapViewOfFile(const_cast<unsigned char*>(block->view));
  if (block->mapping) CloseHandle(block->mapping);
  block->view = nullptr;
  block->mapping = nullptr;
}

}  // namespace

bool OpenSmsStatusBlock(StatusBlock* block) { return OpenStatusBlock(kSmsStatusBlockNames, block); }
bool OpenMmsStatusBlock(StatusBlock* block) { return OpenStatusBlock(kMmsStatusBlockNames, block); }
void CloseSmsStatusBlock(StatusBlock* block) { CloseStatusBlock(block); }
void CloseMmsStatusBlock(StatusBlock* block) { CloseStatusBlock(block); }

void RequestSmsServiceStop() {
  StatusBlock block;
  if (!OpenSmsStatusBlock(&block)) return;
  block.view[kStopRequestByte] = 1;
  CloseSmsStatusBlock(&block);
}
