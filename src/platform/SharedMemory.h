#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace qmz::platform {

// Handle of a named shared memory block; 0 means none.
using SharedMemoryHandle = std::uintptr_t;

// The POSIX name of a block: "/" + name + the effective user id, so two users never share it.
std::string SharedMemoryObjectName(const std::string& name);

// Creates the named block of size bytes, read/write for this user only, or opens it when it exists
// already (existed then says so; a block found smaller is grown to size). 0 when both fail. An existing
// block that another user owns or that others may open is not used (0): refusal then gets a line for
// the journal, naming the block and the reason.
SharedMemoryHandle CreateOrOpenSharedMemory(const std::string& name, std::size_t size, bool* existed = nullptr,
                                            std::string* refusal = nullptr);

// Closes the handle. The handle that created the block also removes its name, so the block goes
// away with the run that made it (views still mapped stay valid).
void CloseSharedMemory(SharedMemoryHandle handle);

// A writable view of a whole block, unmapped when the view is destroyed. Not valid when the block has
// become smaller than its size since it was opened.
class SharedMemoryView {
 public:
  explicit SharedMemoryView(SharedMemoryHandle handle);
  ~SharedMemoryView();
  SharedMemoryView(const SharedMemoryView&) = delete;
  SharedMemoryView& operator=(const SharedMemoryView&) = delete;

  bool Valid() const { return data_ != nullptr; }
  char* Data() const { return data_; }
  std::size_t Size() const { return size_; }

 private:
  char* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace qmz::platform
