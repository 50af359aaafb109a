// Owners for what the console opens or allocates, so that no path, early
// returns included, can forget to give it back.
#pragma once
#include <windows.h>

#include <cstdlib>
#include <memory>

class RegistryKey {
 public:
  RegistryKey() = default;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  ~RegistryKey() { Close(); }

  // For the opening call to fill; any key held before is closed first.
  HKEY* Receive() {
    Close();
    return &key_;
  }
  HKEY get() const { return key_; }
  // Hands the key to the caller, who closes it.
  HKEY Release() {
    HKEY key = key_;
    key_ = nullptr;
    return key;
  }

 private:
  void Close() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
  }
  HKEY key_ = nullptr;
};

struct FreeHeapBlock {
  void operator()(void* block) const { free(block); }
};
// A zero-filled block from calloc of the given size (at least sizeof(T)).
template <typename T>
using HeapBlock = std::unique_ptr<T, FreeHeapBlock>;
template <typename T>
HeapBlock<T> AllocateBlock(size_t size = sizeof(T)) {
  return HeapBlock<T>(static_cast<T*>(calloc(1, size)));
}
