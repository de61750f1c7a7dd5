// The port setting in "Tovel.cfg": what each file content loads as, what is
// written back, and the two save failures.

#include <sys/resource.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "app/port_settings.h"
#include "temp_dir.h"
#include "uitest/scripted_prompts.h"

namespace {

using uitest::ScriptedPrompts;

class PortSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir.path.empty());
    settings.FixConfigPath(dir.path);
  }

  TempDir dir;
  PortSettings settings;
  ScriptedPrompts prompts;
};

struct FileCase {
  const char* name;
  std::optional<std::string> content;  // nothing: no file
  std::int32_t loaded;
  std::string savedBack;
};

std::string FileCaseName(const ::testing::TestParamInfo<FileCase>& info) { return info.param.name; }

void PrintTo(const FileCase& c, std::ostream* out) { *out << c.name; }

class ConfigFileContent : public PortSettingsTest, public ::testing::WithParamInterface<FileCase> {};

TEST_P(ConfigFileContent, LoadsFirstFourBytesAndSavesExactlyFourBack) {
  const FileCase& c = GetParam();
  if (c.content) WriteBytes(settings.configPath, *c.content);
  settings.portIndex = 5;  // a value left over must not survive a failed load

  settings.Load();
  EXPECT_EQ(settings.portIndex, c.loaded);

  settings.Save();
  EXPECT_EQ(ReadBytes(settings.configPath), c.savedBack);
  EXPECT_TRUE(prompts.Messages().empty());
}

using namespace std::string_literals;
INSTANTIATE_TEST_SUITE_P(
    Cases, ConfigFileContent,
    ::testing::Values(FileCase{"NoFile", std::nullopt, 0, "\0\0\0\0"s},
                      FileCase{"Empty", ""s, 0, "\0\0\0\0"s},
                      FileCase{"OneByte", "\x03"s, 0, "\0\0\0\0"s},
                      FileCase{"TwoBytes", "\x03\0"s, 0, "\0\0\0\0"s},
                      FileCase{"ThreeBytes", "\x03\0\0"s, 0, "\0\0\0\0"s},
                      FileCase{"Com4WithTrailingBytes", "\x03\0\0\0\x55\xAA\x01"s, 3, "\x03\0\0\0"s},
                      FileCase{"SevenKept", "\x07\0\0\0"s, 7, "\x07\0\0\0"s},
                      FileCase{"AllOnesIsMinusOne", "\xFF\xFF\xFF\xFF"s, -1, "\xFF\xFF\xFF\xFF"s},
                      FileCase{"LittleEndian", "\x01\x02\x03\x04"s, 0x04030201, "\x01\x02\x03\x04"s}),
    FileCaseName);

TEST_F(PortSettingsTest, SavesTheChangedValue) {
  WriteBytes(settings.configPath, "\x01\0\0\0"s);
  settings.Load();
  settings.portIndex = 2;
  settings.Save();
  EXPECT_EQ(ReadBytes(settings.configPath), "\x02\0\0\0"s);
}

struct PathCase {
  const char* directory;
  const char* workingDirectory;
  const char* configPath;
};

void PrintTo(const PathCase& c, std::ostream* out) { *out << '"' << c.directory << '"'; }

std::string PathCaseName(const ::testing::TestParamInfo<PathCase>& info) {
  static constexpr const char* NAMES[] = {"Root", "Plain", "TrailingSlash", "WhiteSpaceAround", "Empty", "Dot"};
  return NAMES[info.index];
}

class ConfigPath : public ::testing::TestWithParam<PathCase> {};

TEST_P(ConfigPath, IsTheTrimmedDirectoryWithOneSeparator) {
  PortSettings settings;
  settings.FixConfigPath(GetParam().directory);
  EXPECT_EQ(settings.workingDirectory, GetParam().workingDirectory);
  EXPECT_EQ(settings.configPath, GetParam().configPath);
}

INSTANTIATE_TEST_SUITE_P(Cases, ConfigPath,
                         ::testing::Values(PathCase{"/", "/", "/Tovel.cfg"},
                                           PathCase{"/home/user/tools", "/home/user/tools", "/home/user/tools/Tovel.cfg"},
                                           PathCase{"/home/user/tools/", "/home/user/tools/", "/home/user/tools/Tovel.cfg"},
                                           PathCase{" \t\n\v\f\r/srv/box \t\n\v\f\r", "/srv/box", "/srv/box/Tovel.cfg"},
                                           PathCase{"", "", "/Tovel.cfg"},
                                           PathCase{".", ".", "./Tovel.cfg"}),
                         PathCaseName);

TEST_F(PortSettingsTest, FileThatCannotBeCreatedShowsConfigErrorOnceWithoutOwner) {
  std::filesystem::create_directory(settings.configPath);
  settings.portIndex = 1;

  settings.Save();

  ASSERT_EQ(prompts.Messages().size(), 1u);
  EXPECT_EQ(prompts.Messages()[0].text, "save config info error！");
  EXPECT_EQ(prompts.Messages()[0].caption, "Morvane 1.0");
  EXPECT_EQ(prompts.Messages()[0].owner, nullptr);
  EXPECT_TRUE(std::filesystem::is_directory(settings.configPath));
}

TEST_F(PortSettingsTest, FullDiskShowsDataErrorOnceCaptionedError) {
  settings.configPath = "/dev/full";  // every write fails with ENOSPC
  settings.portIndex = 3;

  settings.Save();

  ASSERT_EQ(prompts.Messages().size(), 1u);
  EXPECT_EQ(prompts.Messages()[0].text, "save data error！");
  EXPECT_EQ(prompts.Messages()[0].caption, "error");
  EXPECT_EQ(prompts.Messages()[0].owner, nullptr);
}

// Lowers the file size limit to 0 so that writing any byte fails (tests run
// as root, so permission bits cannot make a write fail).
class NoFileGrowth {
 public:
  NoFileGrowth() {
    getrlimit(RLIMIT_FSIZE, &saved);
    previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit none = saved;
    none.rlim_cur = 0;
    active = setrlimit(RLIMIT_FSIZE, &none) == 0;
  }
  ~NoFileGrowth() {
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
  }
  bool active = false;

 private:
  rlimit saved{};
  void (*previousHandler)(int) = SIG_DFL;
};

TEST_F(PortSettingsTest, FailedWriteKeepsThePreviousFileAndTellsOnce) {
  const std::string previous = "\x03\0\0\0\x7F"s;
  WriteBytes(settings.configPath, previous);
  settings.portIndex = 1;
  {
    NoFileGrowth limit;
    ASSERT_TRUE(limit.active);
    settings.Save();
  }
  ASSERT_EQ(prompts.Messages().size(), 1u);
  EXPECT_EQ(prompts.Messages()[0].text, "save data error！");
  EXPECT_EQ(prompts.Messages()[0].caption, "error");
  EXPECT_EQ(ReadBytes(settings.configPath), previous);
}

TEST_F(PortSettingsTest, UnreadableFileLoadsAsComOne) {
  std::filesystem::create_directory(settings.configPath);
  settings.portIndex = 2;
  settings.Load();
  EXPECT_EQ(settings.portIndex, 0);
  EXPECT_FALSE(settings.transferOk);
  EXPECT_TRUE(prompts.Messages().empty());
}

}  // namespace
