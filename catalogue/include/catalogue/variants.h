#pragma once
// The sixteen kinds of receiver software and the pure lookups over them.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "link/command_frame.h"

using SoftwareVariant = int;
inline constexpr SoftwareVariant NO_VARIANT = -1;
inline constexpr int VARIANT_COUNT = 16;

enum class ReceiverFamily { Fta = 0, CI = 1, HCI = 2, T = 3 };
enum class FlashType { AMD = 0, SST = 1 };

struct VariantInfo {
  ReceiverFamily family;
  FlashType flash;
  int sizeClass;                          // 1: 256 blocks, 2: 512 blocks
  std::string_view displayName;           // "Fta 29 1"
  std::string_view signature;             // 13 ASCII bytes, no terminator
  std::uint8_t replyCode;                 // index + 1
  std::uint32_t blockCount;               // 256 or 512
  std::string_view errorTag;              // "F1"
  std::string_view signatureWriteError;   // "write file error F1!"
};

// Row v of the table; v must be 0 to 15.
const VariantInfo& VariantRow(SoftwareVariant v);

SoftwareVariant VariantFromReply(std::span<const std::uint8_t> reply);       // exactly 12 bytes
SoftwareVariant VariantFromSignature(std::span<const std::uint8_t> bytes);   // first 13 bytes
CommandFrame VariantFrame(SoftwareVariant v);

std::string_view DisplayName(int v);  // empty outside 0 to 15
std::string_view Signature(SoftwareVariant v);
std::uint8_t ReplyCode(SoftwareVariant v);
std::uint32_t BlockCount(SoftwareVariant v);
std::string_view ErrorTag(SoftwareVariant v);
std::string_view SignatureWriteErrorMessage(SoftwareVariant v);
ReceiverFamily Family(SoftwareVariant v);

bool IsCiFamily(int v);
bool IsHciFamily(int v);

// The four-line, CR LF separated message for a receiver that names another
// variant than the ROM image file.
std::string VersionMismatchText(SoftwareVariant fileVariant, SoftwareVariant receiverVariant);
