#include "app/config_archive.h"

#include <array>

ConfigArchive::ConfigArchive(std::FILE* target, Direction way) : file(target), direction(way) {}

bool ConfigArchive::ReadInt32(std::int32_t& value) {
  if (!IsLoading() || file == nullptr) return false;
  std::array<unsigned char, 4> bytes{};
  if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size()) return false;
  const std::uint32_t raw = static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
                            (static_cast<std::uint32_t>(bytes[2]) << 16) |
                            (static_cast<std::uint32_t>(bytes[3]) << 24);
  value = static_cast<std::int32_t>(raw);
  return true;
}

bool ConfigArchive::WriteInt32(std::int32_t value) {
  if (!IsStoring() || file == nullptr) return false;
  const auto raw = static_cast<std::uint32_t>(value);
  const std::array<unsigned char, 4> bytes{
      static_cast<unsigned char>(raw), static_cast<unsigned char>(raw >> 8),
      static_cast<unsigned char>(raw >> 16), static_cast<unsigned char>(raw >> 24)};
  if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) failed = true;
  return !failed;
}

bool ConfigArchive::Close() {
  if (!IsStoring() || file == nullptr) return true;
  if (std::fflush(file) != 0) failed = true;
  return !failed;
}
