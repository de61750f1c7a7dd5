#pragma once
// Moves the settings' integers through a file in one direction, as 4-byte
// little-endian values. The archive does not own the file.

#include <cstdint>
#include <cstdio>

class ConfigArchive {
 public:
  enum class Direction { Load, Store };

  ConfigArchive(std::FILE* file, Direction direction);
  ConfigArchive(const ConfigArchive&) = delete;
  ConfigArchive& operator=(const ConfigArchive&) = delete;

  bool IsStoring() const { return direction == Direction::Store; }
  bool IsLoading() const { return direction == Direction::Load; }

  // false when fewer than 4 bytes could be read; value is then unchanged.
  bool ReadInt32(std::int32_t& value);
  // false when the bytes could not be handed to the file.
  bool WriteInt32(std::int32_t value);
  // Storing: pushes every byte written so far to the file; false when that fails.
  bool Close();

 private:
  std::FILE* file;
  Direction direction;
  bool failed = false;
};
