#pragma once
// The ROM image file: a 13-byte signature naming the variant, then the raw
// 4096-byte blocks. Nothing else: no header, checksum or padding.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "catalogue/variants.h"

inline constexpr std::size_t ROM_BLOCK_SIZE = 4096;
inline constexpr std::size_t ROM_SIGNATURE_LENGTH = 13;
inline constexpr std::size_t ROM_SMALL_FILE_SIZE = ROM_SIGNATURE_LENGTH + 256 * ROM_BLOCK_SIZE;  // 1,048,589
inline constexpr std::size_t ROM_LARGE_FILE_SIZE = ROM_SIGNATURE_LENGTH + 512 * ROM_BLOCK_SIZE;  // 2,097,165

// What the file dialogs for ROM image files offer.
inline constexpr const char* ROM_FILE_FILTER = "rom image file(*.bin)|*.bin||";
inline constexpr const char* ROM_DEFAULT_NAME = "rom.bin";

// Where the catalogue's messages go; the calling dialog shows them.
class RomMessages {
 public:
  virtual ~RomMessages() = default;
  virtual void ShowMessage(const std::string& text) = 0;
};

struct RomImage {
  SoftwareVariant variant = NO_VARIANT;
  std::uint32_t blockCount = 0;      // from the signature, not the length
  std::vector<std::uint8_t> bytes;   // the whole file, signature included

  // Block i as a view into `bytes`; empty when it would reach past the end.
  std::span<const std::uint8_t> Block(std::size_t i) const;
};

// Writes signature and blocks; on failure reports the message and leaves any
// existing file at `path` untouched. Returns true when the file is complete.
bool WriteRomImage(const std::string& path, SoftwareVariant variant,
                   std::span<const std::uint8_t> blocks, RomMessages& messages);

// Loads and checks a whole file; on failure reports the message and returns
// nothing. A file shorter than the blocks its signature names is refused.
std::optional<RomImage> LoadRomImage(const std::string& path, RomMessages& messages);
