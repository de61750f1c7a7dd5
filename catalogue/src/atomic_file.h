#pragma once
// The file access the ROM image needs, one implementation per platform
// (atomic_file_posix.cpp here).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

// A file that replaces `path` only when every byte is written: the bytes go to
// a temporary file in the same folder, which Commit flushes and renames over
// the destination. Destroying it uncommitted removes the temporary file and
// leaves the destination as it was.
class AtomicFile {
 public:
  AtomicFile() = default;
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  ~AtomicFile();

  // False when the file cannot be created: a missing folder, a destination
  // that is a directory, a device that refuses to open.
  bool Create(const std::string& path);
  // Writes all of `bytes` or reports false.
  bool Write(std::span<const std::uint8_t> bytes);
  // Flushes, closes and puts the file in place; false when any of that fails.
  bool Commit();

 private:
  void Discard();

  int fd_ = -1;
  std::string destination_;
  std::string temporary_;  // empty when writing straight to a device
  bool committed_ = false;
};

// A regular file opened for reading.
class InputFile {
 public:
  InputFile() = default;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile();

  // False when the path cannot be opened or is not a regular file.
  bool Open(const std::string& path);
  std::optional<std::uint64_t> Length() const;
  // Fills all of `into` from the start of the file; false on a short read or an error.
  bool ReadAll(std::span<std::uint8_t> into);

 private:
  int fd_ = -1;
};
