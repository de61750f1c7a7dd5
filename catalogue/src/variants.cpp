#include "catalogue/variants.h"

#include "catalogue/rom_image.h"

#include <algorithm>
#include <array>

namespace {

using enum ReceiverFamily;
using enum FlashType;

constexpr std::uint32_t BLOCKS_1 = 256;
constexpr std::uint32_t BLOCKS_2 = 512;

// clang-format off
constexpr std::array<VariantInfo, VARIANT_COUNT> VARIANT_TABLE = {{
  // family flash size  displayName   signature        reply  blocks    tag    signature write-error message
  {Fta, AMD, 1, "Fta 29 1", "QD_RomFtaAMD1", 0x01, BLOCKS_1, "F1",  "write file error F1!"},
  {Fta, AMD, 2, "Fta 29 2", "QD_RomFtaAMD2", 0x02, BLOCKS_2, "F2",  "write file error F2!"},
  {Fta, SST, 1, "Fta 39 1", "QD_RomFtaSST1", 0x03, BLOCKS_1, "F3",  "write file error F3!"},
  {Fta, SST, 2, "Fta 39 2", "QD_RomFtaSST2", 0x04, BLOCKS_2, "F4",  "write file error F4!"},
  {CI,  AMD, 1, "CI 29 1",  "QD_Rom_CIAMD1", 0x05, BLOCKS_1, "C1",  "write file error C1!"},
  {CI,  AMD, 2, "CI 29 2",  "QD_Rom_CIAMD2", 0x06, BLOCKS_2, "C2",  "write file error C2!"},
  {CI,  SST, 1, "CI 39 1",  "QD_Rom_CISST1", 0x07, BLOCKS_1, "C3",  "write file error C3!"},
  {CI,  SST, 2, "CI 39 2",  "QD_Rom_CISST2", 0x08, BLOCKS_2, "C4",  "write file error C4!"},
  {HCI, AMD, 1, "HCI 29 1", "QD_RomHCIAMD1", 0x09, BLOCKS_1, "HC1", "write file error HC1!"},
  {HCI, AMD, 2, "HCI 29 2", "QD_RomHCIAMD2", 0x0A, BLOCKS_2, "HC2", "write file error HC2!"},
  {HCI, SST, 1, "HCI 39 1", "QD_RomHCISST1", 0x0B, BLOCKS_1, "HC3", "write file error HC3!"},
  {HCI, SST, 2, "HCI 39 2", "QD_RomHCISST2", 0x0C, BLOCKS_2, "HC4", "write file error HC4!"},
  {T,   AMD, 1, "T 29 1",   "QD_Rom_T_AMD1", 0x0D, BLOCKS_1, "T1",  "write file error T1!"},
  {T,   AMD, 2, "T 29 2",   "QD_Rom_T_AMD2", 0x0E, BLOCKS_2, "T2",  "write file error T2!"},
  {T,   SST, 1, "T 39 1",   "QD_Rom_T_SST1", 0x0F, BLOCKS_1, "T3",  "write file error T3!"},
  {T,   SST, 2, "T 39 2",   "QD_Rom_T_SST2", 0x10, BLOCKS_2, "T4",  "write file error T4!"},
}};
// clang-format on

constexpr bool TableKeepsItsRule() {
  for (std::size_t i = 0; i < VARIANT_TABLE.size(); ++i) {
    const VariantInfo& row = VARIANT_TABLE[i];
    const auto index = 4 * static_cast<std::size_t>(row.family) +
                       2 * static_cast<std::size_t>(row.flash) +
                       static_cast<std::size_t>(row.sizeClass - 1);
    if (index != i) return false;
    if (row.replyCode != i + 1) return false;
    if (row.blockCount != (row.sizeClass == 1 ? BLOCKS_1 : BLOCKS_2)) return false;
    if (row.signature.size() != ROM_SIGNATURE_LENGTH) return false;
    // The message is "write file error " + tag + "!".
    constexpr std::string_view prefix = "write file error ";
    const std::string_view msg = row.signatureWriteError;
    if (msg.size() != prefix.size() + row.errorTag.size() + 1 || !msg.starts_with(prefix) ||
        msg.substr(prefix.size(), row.errorTag.size()) != row.errorTag || msg.back() != '!') {
      return false;
    }
  }
  return true;
}
static_assert(TableKeepsItsRule(),
              "index = 4 x family + 2 x flash + (size class - 1), reply code = index + 1");

// Returned for an index outside the table: empty texts and no blocks, so a
// caller that slips never reads or writes past a buffer.
constexpr VariantInfo NO_ROW = {Fta, AMD, 0, "", "", 0x00, 0, "", ""};

constexpr bool InTable(int v) { return v >= 0 && v < VARIANT_COUNT; }

}  // namespace

const VariantInfo& VariantRow(SoftwareVariant v) {
  return InTable(v) ? VARIANT_TABLE[static_cast<std::size_t>(v)] : NO_ROW;
}

SoftwareVariant VariantFromReply(std::span<const std::uint8_t> reply) {
  if (reply.size() != FRAME_SIZE) return NO_VARIANT;
  for (SoftwareVariant v = 0; v < VARIANT_COUNT; ++v) {
    const FrameBytes expected = VariantFrame(v).Bytes();
    if (std::equal(expected.begin(), expected.end(), reply.begin())) return v;
  }
  return NO_VARIANT;
}

SoftwareVariant VariantFromSignature(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < ROM_SIGNATURE_LENGTH) return NO_VARIANT;
  for (SoftwareVariant v = 0; v < VARIANT_COUNT; ++v) {
    const std::string_view sig = VariantRow(v).signature;
    if (std::equal(sig.begin(), sig.end(), bytes.begin(),
                   [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; })) {
      return v;
    }
  }
  return NO_VARIANT;
}

CommandFrame VariantFrame(SoftwareVariant v) {
  // Outside the table the code is 0x00, a frame that names no variant.
  return MakeFrame(VariantRow(v).replyCode, FRAME_KIND_VARIANT, 0x00, 0x00);
}

std::string_view DisplayName(int v) { return VariantRow(v).displayName; }
std::string_view Signature(SoftwareVariant v) { return VariantRow(v).signature; }
std::uint8_t ReplyCode(SoftwareVariant v) { return VariantRow(v).replyCode; }
std::uint32_t BlockCount(SoftwareVariant v) { return VariantRow(v).blockCount; }
std::string_view ErrorTag(SoftwareVariant v) { return VariantRow(v).errorTag; }
std::string_view SignatureWriteErrorMessage(SoftwareVariant v) {
  return VariantRow(v).signatureWriteError;
}
ReceiverFamily Family(SoftwareVariant v) { return VariantRow(v).family; }

bool IsCiFamily(int v) { return v >= 4 && v <= 7; }
bool IsHciFamily(int v) { return v >= 8 && v <= 11; }

std::string VersionMismatchText(SoftwareVariant fileVariant, SoftwareVariant receiverVariant) {
  std::string text = "software version incorrect！\r\npls send below information to your provider！\r\n\r\n";
  text += "\"error version <";
  text += DisplayName(fileVariant);
  text += "> to <";
  text += DisplayName(receiverVariant);
  text += ">\"";
  return text;
}
