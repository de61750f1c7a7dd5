#include "catalogue/rom_image.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* FILE_SIZE_ERROR = "file size error\xEF\xBC\x81";
constexpr const char* FILE_DATA_ERROR = "file data error\xEF\xBC\x81";

struct RecordingMessages : RomMessages {
  void ShowMessage(const std::string& text) override { shown.push_back(text); }
  std::vector<std::string> shown;
};

// Every block differs from its neighbours, so a shifted or swapped block shows.
Bytes PatternBlocks(std::size_t blockCount) {
  Bytes b(blockCount * ROM_BLOCK_SIZE);
  for (std::size_t i = 0; i < b.size(); ++i) {
    b[i] = static_cast<std::uint8_t>(i * 7 + i / ROM_BLOCK_SIZE * 13 + 1);
  }
  return b;
}

Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

// `head` followed by zeros up to `size`; sparse, so huge sizes cost nothing.
void WriteSized(const fs::path& path, const Bytes& head, std::uint64_t size) {
  WriteBytes(path, head);
  ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(size)), 0) << path;
}

Bytes ImageOf(const std::string& signature, std::size_t blockCount) {
  Bytes file = BytesOf(signature);
  const Bytes blocks = PatternBlocks(blockCount);
  file.insert(file.end(), blocks.begin(), blocks.end());
  return file;
}

// Lowers the soft file-size limit so that writes past `bytes` fail with
// EFBIG (SIGXFSZ ignored); the limit and the handler are put back afterwards.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    EXPECT_EQ(getrlimit(RLIMIT_FSIZE, &previous_), 0);
    rlimit lowered = previous_;
    lowered.rlim_cur = bytes;
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &lowered), 0);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previousHandler_);
  }

 private:
  rlimit previous_{};
  void (*previousHandler_)(int) = SIG_DFL;
};

class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : previous_(umask(mask)) {}
  ScopedUmask(const ScopedUmask&) = delete;
  ScopedUmask& operator=(const ScopedUmask&) = delete;
  ~ScopedUmask() { umask(previous_); }

 private:
  mode_t previous_;
};

class RomImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "catalogue-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

  std::set<std::string> Listing() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.insert(entry.path().filename().string());
    return names;
  }

  // A private node of the system device at `systemPath`, so that a writer
  // that wrongly renamed over it, running as root, destroys only this copy.
  // Without root the system's own node is used: rename into /dev is refused.
  std::string DeviceNode(const std::string& name, const char* systemPath) const {
    struct stat st {};
    if (stat(systemPath, &st) != 0 || !S_ISCHR(st.st_mode)) return {};
    const std::string path = PathOf(name);
    if (mknod(path.c_str(), S_IFCHR | 0666, st.st_rdev) == 0) {
      const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
      if (fd >= 0) {
        close(fd);
        return path;
      }
      unlink(path.c_str());  // a folder mounted without devices
    }
    return geteuid() == 0 ? std::string() : std::string(systemPath);
  }

  fs::path dir_;
  RecordingMessages messages_;
};

// --- writing and loading back -------------------------------------------

class RoundTripTest : public RomImageTest, public ::testing::WithParamInterface<SoftwareVariant> {};

TEST_P(RoundTripTest, WrittenFileIsSignatureThenBlocksAndLoadsBackByteForByte) {
  const SoftwareVariant v = GetParam();
  const std::uint32_t count = BlockCount(v);
  const Bytes blocks = PatternBlocks(count);
  const std::string path = PathOf("rom.bin");

  ASSERT_TRUE(WriteRomImage(path, v, blocks, messages_));
  EXPECT_TRUE(messages_.shown.empty());

  const Bytes file = ReadBytes(path);
  ASSERT_EQ(file.size(), count == 256 ? 1'048'589u : 2'097'165u);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 13), Signature(v));
  EXPECT_TRUE(std::equal(blocks.begin(), blocks.end(), file.begin() + 13));
  EXPECT_EQ(Listing(), std::set<std::string>{"rom.bin"});

  const std::optional<RomImage> image = LoadRomImage(path, messages_);
  ASSERT_TRUE(image.has_value());
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_EQ(image->variant, v);
  EXPECT_EQ(image->blockCount, count);
  EXPECT_EQ(image->bytes, file);

  // Blocks are views into the loaded buffer.
  EXPECT_EQ(image->Block(0).data(), image->bytes.data() + 13);
  const auto last = image->Block(count - 1);
  ASSERT_EQ(last.size(), ROM_BLOCK_SIZE);
  EXPECT_TRUE(std::equal(last.begin(), last.end(), blocks.end() - ROM_BLOCK_SIZE));
  EXPECT_TRUE(image->Block(count).empty());
}

INSTANTIATE_TEST_SUITE_P(AllSixteen, RoundTripTest, ::testing::Range(0, VARIANT_COUNT));

TEST_F(RomImageTest, WriterUsesOnlyTheVariantsBlocksFromALargerBuffer) {
  const Bytes blocks = PatternBlocks(512);
  ASSERT_TRUE(WriteRomImage(PathOf("rom.bin"), 0, blocks, messages_));
  const Bytes file = ReadBytes(PathOf("rom.bin"));
  ASSERT_EQ(file.size(), ROM_SMALL_FILE_SIZE);
  EXPECT_TRUE(std::equal(file.begin() + 13, file.end(), blocks.begin()));
}

TEST_F(RomImageTest, ExistingFileIsReplacedWithoutAQuestionAndKeepsItsMode) {
  const std::string path = PathOf("rom.bin");
  WriteBytes(path, BytesOf("an older backup"));
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);

  ASSERT_TRUE(WriteRomImage(path, 1, PatternBlocks(512), messages_));
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_EQ(ReadBytes(path), ImageOf("QD_RomFtaAMD2", 512));
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(Listing(), std::set<std::string>{"rom.bin"});
}

TEST_F(RomImageTest, NewFileGetsTheModeAPlainCreateGives) {
  for (mode_t mask : {mode_t{022}, mode_t{077}, mode_t{002}}) {
    const std::string path = PathOf("new-" + std::to_string(mask) + ".bin");
    {
      ScopedUmask scoped(mask);
      ASSERT_TRUE(WriteRomImage(path, 0, PatternBlocks(256), messages_));
    }
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666u & ~mask) << std::oct << mask;
  }
}

TEST_F(RomImageTest, SymbolicLinkDestinationReplacesItsTargetAndStaysALink) {
  const std::string target = PathOf("target.bin");
  const std::string link = PathOf("link.bin");
  WriteBytes(target, BytesOf("old"));
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);

  ASSERT_TRUE(WriteRomImage(link, 2, PatternBlocks(256), messages_));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadBytes(target), ImageOf("QD_RomFtaSST1", 256));
  EXPECT_EQ(Listing(), (std::set<std::string>{"link.bin", "target.bin"}));
}

// --- writer failures ------------------------------------------------------

TEST_F(RomImageTest, CreateFileErrorWhenTheDestinationCannotBeCreated) {
  fs::create_directory(dir_ / "folder");
  WriteBytes(dir_ / "plain", BytesOf("x"));
  ASSERT_EQ(mkfifo(PathOf("fifo").c_str(), 0600), 0);
  const std::set<std::string> before = Listing();

  for (const std::string& path : {PathOf("missing/rom.bin"), PathOf("folder"), PathOf("folder/"),
                                  PathOf("plain/rom.bin"), PathOf("fifo"), std::string()}) {
    RecordingMessages messages;
    EXPECT_FALSE(WriteRomImage(path, 0, PatternBlocks(256), messages)) << path;
    EXPECT_EQ(messages.shown, std::vector<std::string>{"create file error!"}) << path;
  }
  EXPECT_EQ(Listing(), before);
  EXPECT_TRUE(fs::is_empty(dir_ / "folder"));
}

// A buffer shorter than the variant's blocks would be read past its end.
TEST_F(RomImageTest, ShortBufferOrNoVariantIsRefusedAndCreatesNothing) {
  const Bytes oneShort(512 * ROM_BLOCK_SIZE - 1);
  EXPECT_FALSE(WriteRomImage(PathOf("a.bin"), 1, oneShort, messages_));
  EXPECT_FALSE(WriteRomImage(PathOf("b.bin"), NO_VARIANT, PatternBlocks(512), messages_));
  EXPECT_FALSE(WriteRomImage(PathOf("c.bin"), 16, PatternBlocks(512), messages_));
  EXPECT_EQ(messages_.shown, std::vector<std::string>(3, "write file error!"));
  EXPECT_TRUE(Listing().empty());
}

class DeviceFullTest : public RomImageTest, public ::testing::WithParamInterface<SoftwareVariant> {};

TEST_P(DeviceFullTest, FullDeviceGivesTheVariantsSignatureMessageAndStaysADevice) {
  const std::string full = DeviceNode("full", "/dev/full");
  if (full.empty()) GTEST_SKIP() << "no full device to write to";
  const SoftwareVariant v = GetParam();

  EXPECT_FALSE(WriteRomImage(full, v, PatternBlocks(BlockCount(v)), messages_));
  EXPECT_EQ(messages_.shown, std::vector<std::string>{std::string(SignatureWriteErrorMessage(v))});
  struct stat st {};
  ASSERT_EQ(stat(full.c_str(), &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
}

INSTANTIATE_TEST_SUITE_P(AllSixteen, DeviceFullTest, ::testing::Range(0, VARIANT_COUNT));

TEST_F(RomImageTest, DeviceDestinationIsWrittenDirectly) {
  const std::string null = DeviceNode("null", "/dev/null");
  if (null.empty()) GTEST_SKIP() << "no null device to write to";
  EXPECT_TRUE(WriteRomImage(null, 0, PatternBlocks(256), messages_));
  EXPECT_TRUE(messages_.shown.empty());
  struct stat st {};
  ASSERT_EQ(stat(null.c_str(), &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
}

struct MidWriteCase {
  const char* name;
  rlim_t limit;
  SoftwareVariant variant;
  const char* message;
};

void PrintTo(const MidWriteCase& c, std::ostream* os) { *os << c.name; }

class FailedWriteTest : public RomImageTest, public ::testing::WithParamInterface<MidWriteCase> {};

TEST_P(FailedWriteTest, ExistingBackupSurvivesUnchangedAndNoTemporaryFileRemains) {
  const MidWriteCase& c = GetParam();
  const std::string path = PathOf("rom.bin");
  const Bytes backup = ImageOf("QD_Rom_CISST1", 256);
  WriteBytes(path, backup);

  bool written = true;
  {
    FileSizeLimit limit(c.limit);
    written = WriteRomImage(path, c.variant, PatternBlocks(BlockCount(c.variant)), messages_);
  }
  EXPECT_FALSE(written);
  EXPECT_EQ(messages_.shown, std::vector<std::string>{c.message});
  EXPECT_EQ(ReadBytes(path), backup);
  EXPECT_EQ(Listing(), std::set<std::string>{"rom.bin"});
}

TEST_P(FailedWriteTest, NewDestinationIsNotCreated) {
  const MidWriteCase& c = GetParam();
  {
    FileSizeLimit limit(c.limit);
    EXPECT_FALSE(WriteRomImage(PathOf("rom.bin"), c.variant, PatternBlocks(BlockCount(c.variant)), messages_));
  }
  EXPECT_EQ(messages_.shown, std::vector<std::string>{c.message});
  EXPECT_TRUE(Listing().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailedWriteTest,
    ::testing::Values(MidWriteCase{"InSignature", 5, 3, "write file error F4!"},
                      MidWriteCase{"InSignatureHci", 5, 10, "write file error HC3!"},
                      MidWriteCase{"InBlocks", 500'000, 15, "write file error!"},
                      MidWriteCase{"OneByteShortOfTheEnd", ROM_SMALL_FILE_SIZE - 1, 0, "write file error!"}),
    [](const auto& p) { return std::string(p.param.name); });

// --- loader failures --------------------------------------------------------

struct SizeCase {
  const char* name;
  std::uint64_t size;
};

void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.name; }

class WrongSizeTest : public RomImageTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(WrongSizeTest, IsRefusedWithFileSizeErrorWhateverItHolds) {
  const std::string path = PathOf("rom.bin");
  const Bytes head = BytesOf("QD_RomFtaAMD1");
  WriteSized(path, Bytes(head.begin(), head.begin() + std::min<std::size_t>(13, GetParam().size)), GetParam().size);

  EXPECT_FALSE(LoadRomImage(path, messages_).has_value());
  EXPECT_EQ(messages_.shown, std::vector<std::string>{FILE_SIZE_ERROR});
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, WrongSizeTest,
    ::testing::Values(SizeCase{"Empty", 0}, SizeCase{"SignatureOnly", 13},
                      SizeCase{"OneShortOfSmall", ROM_SMALL_FILE_SIZE - 1},
                      SizeCase{"OneOverSmall", ROM_SMALL_FILE_SIZE + 1},
                      SizeCase{"OneShortOfLarge", ROM_LARGE_FILE_SIZE - 1},
                      SizeCase{"OneOverLarge", ROM_LARGE_FILE_SIZE + 1},
                      // Equals the small size in its low 32 bits.
                      SizeCase{"FourGibPlusSmall", (std::uint64_t{1} << 32) + ROM_SMALL_FILE_SIZE},
                      SizeCase{"Huge", std::uint64_t{1} << 40}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(RomImageTest, UnknownOrWrongCaseSignatureGivesFileDataError) {
  for (const char* signature : {"\0\0\0\0\0\0\0\0\0\0\0\0\0", "QD_ROMFTAAMD1", "qd_romftaamd1", "QD_Rom_T_SST3"}) {
    const std::string path = PathOf("rom.bin");
    WriteSized(path, Bytes(signature, signature + 13), ROM_LARGE_FILE_SIZE);
    RecordingMessages messages;
    EXPECT_FALSE(LoadRomImage(path, messages).has_value());
    EXPECT_EQ(messages.shown, std::vector<std::string>{FILE_DATA_ERROR});
  }
}

// A 512-block signature on a 256-block file names blocks the file does not hold.
TEST_F(RomImageTest, SmallFileWithLargeSignatureGivesFileSizeError) {
  for (const char* signature : {"QD_RomFtaAMD2", "QD_Rom_T_SST2"}) {
    const std::string path = PathOf("rom.bin");
    WriteBytes(path, ImageOf(signature, 256));
    RecordingMessages messages;
    EXPECT_FALSE(LoadRomImage(path, messages).has_value());
    EXPECT_EQ(messages.shown, std::vector<std::string>{FILE_SIZE_ERROR});
  }
}

TEST_F(RomImageTest, LargeFileWithSmallSignatureIsAcceptedAndUsesOnlyTheNamedBlocks) {
  const std::string path = PathOf("rom.bin");
  const Bytes file = ImageOf("QD_RomFtaAMD1", 512);
  WriteBytes(path, file);

  const std::optional<RomImage> image = LoadRomImage(path, messages_);
  ASSERT_TRUE(image.has_value());
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_EQ(image->variant, 0);
  EXPECT_EQ(image->blockCount, 256u);
  EXPECT_EQ(image->bytes, file);
  EXPECT_EQ(image->Block(255).size(), ROM_BLOCK_SIZE);
  EXPECT_TRUE(image->Block(256).empty());
}

TEST_F(RomImageTest, PathThatCannotBeOpenedAsAFileIsShownAsItIs) {
  fs::create_directory(dir_ / "folder");
  ASSERT_EQ(mkfifo(PathOf("fifo").c_str(), 0600), 0);
  for (const std::string& path : {PathOf("missing.bin"), PathOf("no folder/rom.bin"), PathOf("folder"),
                                  PathOf("100%s%d%n%%.bin"), PathOf("fifo"), std::string("/dev/zero")}) {
    RecordingMessages messages;
    EXPECT_FALSE(LoadRomImage(path, messages).has_value()) << path;
    EXPECT_EQ(messages.shown, std::vector<std::string>{"Open file<" + path + "> error\xEF\xBC\x81"});
  }
}

// --- block views ----------------------------------------------------------

TEST(RomImageBlock, ViewStopsAtTheEndOfTheBytesAndAtTheNamedBlocks) {
  RomImage image;
  image.variant = 0;
  image.blockCount = 256;
  image.bytes.resize(13 + 2 * ROM_BLOCK_SIZE + ROM_BLOCK_SIZE / 2);

  EXPECT_EQ(image.Block(0).data(), image.bytes.data() + 13);
  EXPECT_EQ(image.Block(1).size(), ROM_BLOCK_SIZE);
  EXPECT_TRUE(image.Block(2).empty());  // only half of it is there
  EXPECT_TRUE(image.Block(255).empty());
  EXPECT_TRUE(image.Block(SIZE_MAX).empty());
  EXPECT_TRUE(image.Block(SIZE_MAX / ROM_BLOCK_SIZE + 1).empty());  // offset would wrap

  image.bytes.resize(5);
  EXPECT_TRUE(image.Block(0).empty());
}

}  // namespace
