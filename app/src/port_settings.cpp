#include "app/port_settings.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/config_archive.h"
#include "resources/product.h"
#include "ui/prompts.h"

namespace {

constexpr std::string_view WHITE_SPACE = " \t\n\v\f\r";

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(WHITE_SPACE);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(WHITE_SPACE);
  return text.substr(first, last - first + 1);
}

}  // namespace

std::optional<std::string> ReadWorkingDirectory() {
  std::error_code error;
  std::filesystem::path directory = std::filesystem::current_path(error);
  if (error) return std::nullopt;
  return directory.string();
}

void PortSettings::FixConfigPath(std::string_view directory) {
  workingDirectory = std::string(Trimmed(directory));
  configPath = workingDirectory;
  if (configPath.empty() || configPath.back() != '/') configPath += '/';
  configPath += CONFIG_FILE_NAME;
}

void PortSettings::Load() {
  std::FILE* file = std::fopen(configPath.c_str(), "rb");
  if (file == nullptr) {
    ResetPortIndex();
    return;
  }
  {
    ConfigArchive archive(file, ConfigArchive::Direction::Load);
    Serialize(archive);
    archive.Close();
  }
  std::fclose(file);
  if (!transferOk) ResetPortIndex();
}

void PortSettings::Save() {
  // The four bytes are written over the old ones rather than into a truncated
  // file, so a failed write leaves the previous setting in place.
  std::FILE* file = std::fopen(configPath.c_str(), "r+b");
  if (file == nullptr) file = std::fopen(configPath.c_str(), "wb");
  if (file == nullptr) {
    MessageBox(MSG_SAVE_CONFIG_ERROR, PRODUCT_TITLE);
    return;
  }
  bool written = false;
  {
    ConfigArchive archive(file, ConfigArchive::Direction::Store);
    Serialize(archive);
    written = archive.Close();
    // A failed store in Serialize has told the user already.
    if (!written && transferOk) MessageBox(MSG_SAVE_DATA_ERROR, ERROR_CAPTION);
  }
  const bool closed = std::fclose(file) == 0;
  if (written && !closed) MessageBox(MSG_SAVE_DATA_ERROR, ERROR_CAPTION);
  if (written && closed) {
    // Bytes after the first four (an older, longer file) are cut off; should
    // that fail, the value is still saved and later bytes are ignored on load.
    std::error_code error;
    if (std::filesystem::is_regular_file(configPath, error) && std::filesystem::file_size(configPath, error) > 4) {
      std::filesystem::resize_file(configPath, 4, error);
    }
  }
}

void PortSettings::Serialize(ConfigArchive& archive) {
  transferOk = false;
  if (archive.IsStoring()) {
    if (!archive.WriteInt32(portIndex)) {
      MessageBox(MSG_SAVE_DATA_ERROR, ERROR_CAPTION);
      return;
    }
  } else if (!archive.ReadInt32(portIndex)) {
    return;
  }
  transferOk = true;
}
