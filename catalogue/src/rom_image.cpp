#include "catalogue/rom_image.h"

#include <new>
#include <string_view>

#include "atomic_file.h"

namespace {

constexpr std::string_view MSG_CREATE_FILE_ERROR = "create file error!";
constexpr std::string_view MSG_WRITE_FILE_ERROR = "write file error!";
constexpr std::string_view MSG_OPEN_FILE_BEFORE_PATH = "Open file<";
constexpr std::string_view MSG_OPEN_FILE_AFTER_PATH = "> error！";
constexpr std::string_view MSG_FILE_SIZE_ERROR = "file size error！";
// The program's own message for missing memory, also shown by the read.
constexpr std::string_view MSG_ALLOC_MEMORY_ERROR = "alloc memory error！";
constexpr std::string_view MSG_READ_FILE_DATA_ERROR = "read file data error！";
constexpr std::string_view MSG_FILE_DATA_ERROR = "file data error！";

std::span<const std::uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Returns the failure message, or nothing when the file is in place. The file
// is closed and any temporary file removed before the caller shows a message.
std::string_view WriteFile(const std::string& path, const VariantInfo& row,
                           std::span<const std::uint8_t> blocks) {
  AtomicFile file;
  if (!file.Create(path)) return MSG_CREATE_FILE_ERROR;
  // The signature goes out on its own, so a refusing device shows at once.
  if (!file.Write(AsBytes(row.signature))) return row.signatureWriteError;
  if (!file.Write(blocks)) return MSG_WRITE_FILE_ERROR;
  if (!file.Commit()) return MSG_WRITE_FILE_ERROR;
  return {};
}

// Fills `image` from the file at `path`; returns the failure message, or an
// empty text on success. The file is closed when this returns.
std::string LoadFile(const std::string& path, RomImage& image) {
  InputFile file;
  // A directory, device or FIFO cannot be opened as a ROM image file.
  if (!file.Open(path)) {
    std::string text(MSG_OPEN_FILE_BEFORE_PATH);
    text += path;
    text += MSG_OPEN_FILE_AFTER_PATH;
    return text;
  }
  // A length that cannot be had is as wrong as a wrong length.
  const std::optional<std::uint64_t> length = file.Length();
  if (!length || (*length != ROM_SMALL_FILE_SIZE && *length != ROM_LARGE_FILE_SIZE)) {
    return std::string(MSG_FILE_SIZE_ERROR);
  }
  try {
    image.bytes.resize(static_cast<std::size_t>(*length));
  } catch (const std::bad_alloc&) {
    return std::string(MSG_ALLOC_MEMORY_ERROR);
  }
  if (!file.ReadAll(image.bytes)) return std::string(MSG_READ_FILE_DATA_ERROR);

  image.variant = VariantFromSignature(image.bytes);
  if (image.variant == NO_VARIANT) return std::string(MSG_FILE_DATA_ERROR);
  image.blockCount = BlockCount(image.variant);
  // A file must hold every block its signature names; one that holds more
  // is accepted and only the named blocks are used.
  if (*length < ROM_SIGNATURE_LENGTH + std::uint64_t{image.blockCount} * ROM_BLOCK_SIZE) {
    return std::string(MSG_FILE_SIZE_ERROR);
  }
  return {};
}

}  // namespace

std::span<const std::uint8_t> RomImage::Block(std::size_t i) const {
  if (bytes.size() < ROM_SIGNATURE_LENGTH) return {};
  const std::size_t held = (bytes.size() - ROM_SIGNATURE_LENGTH) / ROM_BLOCK_SIZE;
  if (i >= blockCount || i >= held) return {};
  return std::span<const std::uint8_t>(bytes).subspan(ROM_SIGNATURE_LENGTH + i * ROM_BLOCK_SIZE,
                                                      ROM_BLOCK_SIZE);
}

bool WriteRomImage(const std::string& path, SoftwareVariant variant,
                   std::span<const std::uint8_t> blocks, RomMessages& messages) {
  const VariantInfo& row = VariantRow(variant);
  const std::size_t needed = std::size_t{row.blockCount} * ROM_BLOCK_SIZE;
  // A buffer short of the variant's blocks (or no variant at all) would make
  // an incomplete image: refuse before anything is created.
  std::string_view failure = MSG_WRITE_FILE_ERROR;
  if (row.blockCount != 0 && blocks.size() >= needed) {
    failure = WriteFile(path, row, blocks.first(needed));
  }
  if (failure.empty()) return true;
  messages.ShowMessage(std::string(failure));
  return false;
}

std::optional<RomImage> LoadRomImage(const std::string& path, RomMessages& messages) {
  RomImage image;
  std::string failure;
  try {
    failure = LoadFile(path, image);
  } catch (const std::bad_alloc&) {
    failure = MSG_ALLOC_MEMORY_ERROR;
  }
  if (failure.empty()) return image;
  messages.ShowMessage(failure);
  return std::nullopt;
}
