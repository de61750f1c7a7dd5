#include "catalogue/variants.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes FrameOf(std::uint8_t kind, std::uint8_t code, std::uint8_t param1 = 0, std::uint8_t param2 = 0) {
  // "ZulaPeKo" spelled out, independent of the constant under test.
  return {'Z', 'u', 'l', 'a', 'P', 'e', 'K', 'o', kind, code, param1, param2};
}

Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

struct Row {
  int index;
  ReceiverFamily family;
  FlashType flash;
  int sizeClass;
  const char* displayName;
  const char* signature;
  std::uint8_t replyCode;
  std::uint32_t blockCount;
  const char* errorTag;
  const char* writeError;
};

// The variant table as the receiver documentation gives it.
const Row kRows[] = {
    {0, ReceiverFamily::Fta, FlashType::AMD, 1, "Fta 29 1", "QD_RomFtaAMD1", 0x01, 256, "F1", "write file error F1!"},
    {1, ReceiverFamily::Fta, FlashType::AMD, 2, "Fta 29 2", "QD_RomFtaAMD2", 0x02, 512, "F2", "write file error F2!"},
    {2, ReceiverFamily::Fta, FlashType::SST, 1, "Fta 39 1", "QD_RomFtaSST1", 0x03, 256, "F3", "write file error F3!"},
    {3, ReceiverFamily::Fta, FlashType::SST, 2, "Fta 39 2", "QD_RomFtaSST2", 0x04, 512, "F4", "write file error F4!"},
    {4, ReceiverFamily::CI, FlashType::AMD, 1, "CI 29 1", "QD_Rom_CIAMD1", 0x05, 256, "C1", "write file error C1!"},
    {5, ReceiverFamily::CI, FlashType::AMD, 2, "CI 29 2", "QD_Rom_CIAMD2", 0x06, 512, "C2", "write file error C2!"},
    {6, ReceiverFamily::CI, FlashType::SST, 1, "CI 39 1", "QD_Rom_CISST1", 0x07, 256, "C3", "write file error C3!"},
    {7, ReceiverFamily::CI, FlashType::SST, 2, "CI 39 2", "QD_Rom_CISST2", 0x08, 512, "C4", "write file error C4!"},
    {8, ReceiverFamily::HCI, FlashType::AMD, 1, "HCI 29 1", "QD_RomHCIAMD1", 0x09, 256, "HC1", "write file error HC1!"},
    {9, ReceiverFamily::HCI, FlashType::AMD, 2, "HCI 29 2", "QD_RomHCIAMD2", 0x0A, 512, "HC2", "write file error HC2!"},
    {10, ReceiverFamily::HCI, FlashType::SST, 1, "HCI 39 1", "QD_RomHCISST1", 0x0B, 256, "HC3", "write file error HC3!"},
    {11, ReceiverFamily::HCI, FlashType::SST, 2, "HCI 39 2", "QD_RomHCISST2", 0x0C, 512, "HC4", "write file error HC4!"},
    {12, ReceiverFamily::T, FlashType::AMD, 1, "T 29 1", "QD_Rom_T_AMD1", 0x0D, 256, "T1", "write file error T1!"},
    {13, ReceiverFamily::T, FlashType::AMD, 2, "T 29 2", "QD_Rom_T_AMD2", 0x0E, 512, "T2", "write file error T2!"},
    {14, ReceiverFamily::T, FlashType::SST, 1, "T 39 1", "QD_Rom_T_SST1", 0x0F, 256, "T3", "write file error T3!"},
    {15, ReceiverFamily::T, FlashType::SST, 2, "T 39 2", "QD_Rom_T_SST2", 0x10, 512, "T4", "write file error T4!"},
};

void PrintTo(const Row& r, std::ostream* os) { *os << "variant " << r.index; }

class VariantRowTest : public ::testing::TestWithParam<Row> {};

TEST_P(VariantRowTest, RowMatchesTheDocumentedTable) {
  const Row& r = GetParam();
  const VariantInfo& info = VariantRow(r.index);
  EXPECT_EQ(info.family, r.family);
  EXPECT_EQ(info.flash, r.flash);
  EXPECT_EQ(info.sizeClass, r.sizeClass);
  EXPECT_EQ(info.displayName, r.displayName);
  EXPECT_EQ(info.signature, r.signature);
  EXPECT_EQ(info.replyCode, r.replyCode);
  EXPECT_EQ(info.blockCount, r.blockCount);
  EXPECT_EQ(info.errorTag, r.errorTag);
  EXPECT_EQ(info.signatureWriteError, r.writeError);

  EXPECT_EQ(DisplayName(r.index), r.displayName);
  EXPECT_EQ(Signature(r.index), r.signature);
  EXPECT_EQ(ReplyCode(r.index), r.replyCode);
  EXPECT_EQ(BlockCount(r.index), r.blockCount);
  EXPECT_EQ(ErrorTag(r.index), r.errorTag);
  EXPECT_EQ(SignatureWriteErrorMessage(r.index), r.writeError);
  EXPECT_EQ(Family(r.index), r.family);
  EXPECT_EQ(IsCiFamily(r.index), r.family == ReceiverFamily::CI);
  EXPECT_EQ(IsHciFamily(r.index), r.family == ReceiverFamily::HCI);
}

TEST_P(VariantRowTest, FrameIsMagicThenKind10CodeIndexPlusOneAndZeros) {
  const Row& r = GetParam();
  const FrameBytes frame = VariantFrame(r.index).Bytes();
  EXPECT_EQ(Bytes(frame.begin(), frame.end()), FrameOf(0x10, r.replyCode));
}

TEST_P(VariantRowTest, ReplyAndSignatureLookUpTheirOwnRow) {
  const Row& r = GetParam();
  EXPECT_EQ(VariantFromReply(FrameOf(0x10, r.replyCode)), r.index);

  Bytes file = BytesOf(r.signature);
  EXPECT_EQ(VariantFromSignature(file), r.index);
  file.insert(file.end(), {0x00, 0xFF, 'x'});  // what follows the signature is not looked at
  EXPECT_EQ(VariantFromSignature(file), r.index);
}

INSTANTIATE_TEST_SUITE_P(AllSixteen, VariantRowTest, ::testing::ValuesIn(kRows),
                         [](const auto& p) { return "Variant" + std::to_string(p.param.index); });

struct ReplyCase {
  const char* name;
  Bytes reply;
  SoftwareVariant expected;
};

void PrintTo(const ReplyCase& c, std::ostream* os) { *os << c.name; }

class ReplyLookupTest : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyLookupTest, MatchesOnlyAWholeVariantFrame) {
  EXPECT_EQ(VariantFromReply(GetParam().reply), GetParam().expected);
}

Bytes WithByte(Bytes b, std::size_t at, std::uint8_t value) {
  b[at] = value;
  return b;
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, ReplyLookupTest,
    ::testing::Values(ReplyCase{"Code00", FrameOf(0x10, 0x00), NO_VARIANT},
                      ReplyCase{"Code11", FrameOf(0x10, 0x11), NO_VARIANT},
                      ReplyCase{"Code05", FrameOf(0x10, 0x05), 4},
                      ReplyCase{"Code05Param1Set", FrameOf(0x10, 0x05, 0x01, 0x00), NO_VARIANT},
                      ReplyCase{"Code05Param2Set", FrameOf(0x10, 0x05, 0x00, 0x01), NO_VARIANT},
                      ReplyCase{"Kind00Code10", FrameOf(0x00, 0x10), NO_VARIANT},
                      ReplyCase{"Kind10Code10", FrameOf(0x10, 0x10), 15},
                      ReplyCase{"PlainAck", FrameOf(0x00, 0x00), NO_VARIANT},
                      ReplyCase{"WrongMagicFirstByte", WithByte(FrameOf(0x10, 0x01), 0, 'z'), NO_VARIANT},
                      ReplyCase{"WrongMagicLastByte", WithByte(FrameOf(0x10, 0x01), 7, 'O'), NO_VARIANT},
                      ReplyCase{"ElevenBytes", [] {
                                  Bytes b = FrameOf(0x10, 0x01);
                                  b.pop_back();
                                  return b;
                                }(),
                                NO_VARIANT},
                      ReplyCase{"ThirteenBytes", [] {
                                  Bytes b = FrameOf(0x10, 0x01);
                                  b.push_back(0);
                                  return b;
                                }(),
                                NO_VARIANT},
                      ReplyCase{"Empty", Bytes{}, NO_VARIANT}),
    [](const auto& p) { return std::string(p.param.name); });

struct SignatureCase {
  const char* name;
  Bytes bytes;
};

void PrintTo(const SignatureCase& c, std::ostream* os) { *os << c.name; }

class SignatureLookupTest : public ::testing::TestWithParam<SignatureCase> {};

TEST_P(SignatureLookupTest, NamesNoVariant) { EXPECT_EQ(VariantFromSignature(GetParam().bytes), NO_VARIANT); }

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, SignatureLookupTest,
    ::testing::Values(SignatureCase{"UpperCase", BytesOf("QD_ROMFTAAMD1")},
                      SignatureCase{"LowerCaseFamily", BytesOf("QD_RomftaAMD1")},
                      SignatureCase{"TruncatedThenZero", BytesOf(std::string("QD_RomFtaAMD\0", 13))},
                      SignatureCase{"TwelveBytesOnly", BytesOf("QD_RomFtaAMD")},
                      SignatureCase{"MissingUnderscorePadding", BytesOf("QD_RomCIAMD1x")},
                      SignatureCase{"SizeClassThree", BytesOf("QD_RomFtaAMD3")},
                      SignatureCase{"Empty", Bytes{}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(VariantFamilies, CiAndHciTestsHoldExactlyOnTheirRanges) {
  for (int v : {INT_MIN, -1, 0, 3, 4, 7, 8, 11, 12, 15, 16, INT_MAX}) {
    EXPECT_EQ(IsCiFamily(v), v >= 4 && v <= 7) << v;
    EXPECT_EQ(IsHciFamily(v), v >= 8 && v <= 11) << v;
  }
}

TEST(VariantOutsideTable, HasNoNameNoSignatureAndNoBlocks) {
  for (int v : {NO_VARIANT, 16, INT_MIN, INT_MAX}) {
    EXPECT_EQ(DisplayName(v), "") << v;
    EXPECT_EQ(Signature(v), "") << v;
    EXPECT_EQ(BlockCount(v), 0u) << v;
    EXPECT_EQ(SignatureWriteErrorMessage(v), "") << v;
    const FrameBytes frame = VariantFrame(v).Bytes();
    EXPECT_EQ(VariantFromReply(frame), NO_VARIANT) << v;
  }
}

TEST(VersionMismatchText, IsFourCrLfLinesWithFullWidthMarksAndQuotedNames) {
  EXPECT_EQ(VersionMismatchText(0, 13),
            "software version incorrect\xEF\xBC\x81\r\n"
            "pls send below information to your provider\xEF\xBC\x81\r\n"
            "\r\n"
            "\"error version <Fta 29 1> to <T 29 2>\"");
}

TEST(VersionMismatchText, NamesTheFileVariantFirst) {
  const std::string text = VersionMismatchText(2, 3);
  EXPECT_TRUE(text.ends_with("\r\n\"error version <Fta 39 1> to <Fta 39 2>\"")) << text;
  EXPECT_TRUE(VersionMismatchText(5, 0).ends_with("\"error version <CI 29 2> to <Fta 29 1>\""));
}

}  // namespace
