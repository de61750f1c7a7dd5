#pragma once
// The one persisted setting, the serial port index, kept in "Tovel.cfg" in
// the working directory the program starts in.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class ConfigArchive;

inline constexpr const char* CONFIG_FILE_NAME = "Tovel.cfg";
inline constexpr const char* MSG_SAVE_CONFIG_ERROR = "save config info error！";
inline constexpr const char* MSG_SAVE_DATA_ERROR = "save data error！";

// The working directory, or nothing when its name cannot be read (e.g. it
// was removed while the program was starting).
std::optional<std::string> ReadWorkingDirectory();

class PortSettings {
 public:
  PortSettings() = default;
  virtual ~PortSettings() = default;
  PortSettings(const PortSettings&) = delete;
  PortSettings& operator=(const PortSettings&) = delete;

  // Stores directory, trimmed of blanks and control white space at both ends,
  // in workingDirectory and builds configPath from it with one '/' between.
  void FixConfigPath(std::string_view directory);

  void Load();  // portIndex from the first 4 bytes of the file, else 0
  void Save();  // portIndex as 4 bytes; tells the user when that fails
  virtual void Serialize(ConfigArchive& archive);
  void ResetPortIndex() { portIndex = 0; }

  std::string configPath;
  std::string workingDirectory;
  std::int32_t portIndex = 0;  // 0..3 = COM1..COM4; any value read is kept
  bool transferOk = false;     // whether the last Serialize moved portIndex
};
