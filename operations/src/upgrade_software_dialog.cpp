#include "operations/upgrade_software_dialog.h"

#include <array>
#include <optional>
#include <span>
#include <utility>

#include "operation_texts.h"
#include "resources/dialog_templates.h"

namespace {

constexpr int ID_CANCEL_BUTTON = IDCANCEL;
constexpr int ID_WARNING_TEXT = 1093;
constexpr int ID_PROGRESS_BAR = 1057;
constexpr int ID_BLOCKS_TEXT = 1087;

// Acknowledgements an upgrade accepts besides the image's own VariantFrame,
// by receiver family, in the order they are tested.
constexpr std::array<CommandFrame, 3> FTA_T_REPLIES = {
    PLAIN_ACK,
    MakeFrame(0x11, 0x11, 0x00, 0x00),
    MakeFrame(0xAA, 0x00, 0x00, 0x00),
};
constexpr std::array<CommandFrame, 3> CI_HCI_REPLIES = {
    MakeFrame(0xF0, 0x00, 0x00, 0x00),
    MakeFrame(0xF2, 0x00, 0x00, 0x00),
    MakeFrame(0xFF, 0x00, 0x00, 0x00),
};

bool UsesCiReplies(SoftwareVariant v) { return IsHciFamily(v) || IsCiFamily(v); }

}  // namespace

UpgradeSoftwareDialog::UpgradeSoftwareDialog(std::string path, std::int32_t& port)
    : Dialog(DIALOG_UPGRADE), romPath(std::move(path)), portIndex(port) {}

UpgradeSoftwareDialog::~UpgradeSoftwareDialog() = default;

void UpgradeSoftwareDialog::DoDataExchange(DataExchange& exchange) {
  Dialog::DoDataExchange(exchange);
  exchange.Control(ID_CANCEL_BUTTON, cancelButton);
  exchange.Control(ID_WARNING_TEXT, warningText);
  exchange.Control(ID_PROGRESS_BAR, progressBar);
  exchange.Control(ID_BLOCKS_TEXT, blocksText);
}

bool UpgradeSoftwareDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  blocksText.SetText(BlocksText(0, 0));
  progressBar.Repaint();
  blocksText.Repaint();
  if (!LoadImage() || !StartUpgrade()) {
    OnCancel();
    return false;
  }
  return true;
}

bool UpgradeSoftwareDialog::LoadImage() {
  DialogRomMessages messages(*this);
  std::optional<RomImage> loaded = LoadRomImage(romPath, messages);
  if (!loaded) return false;
  // The loader has closed the file by now, before any port is opened.
  image = std::move(*loaded);
  fileVariant = image.variant;
  blockCount = image.blockCount;
  return true;
}

bool UpgradeSoftwareDialog::StartUpgrade() {
  try {
    if (!OpenPortAndSend(*this, channel, portIndex, CMD_UPGRADE)) return false;
    // The first reply, like every later one, is taken by the timer.
    return SetTimer(TIMER_UPGRADE, TICK_MS);
  } catch (...) {
    return false;
  }
}

void UpgradeSoftwareDialog::OnTimer(int id) {
  if (id != TIMER_UPGRADE) return;
  if (channel.BytesWaiting() < FRAME_SIZE) {
    replyWaitMs += TICK_MS;
    if (replyWaitMs >= WAIT_LIMIT_MS) Fail(MSG_NO_ANSWER_1);
    return;
  }
  // Exactly one frame: whatever follows it stays queued for the next tick.
  // A short read leaves zeros in the buffer, which match no frame.
  FrameBytes reply{};
  channel.Read(reply.data(), static_cast<std::uint32_t>(reply.size()));

  const SoftwareVariant named = VariantFromReply(reply);
  if (named != NO_VARIANT && named != fileVariant) {
    Fail(VersionMismatchText(fileVariant, named));
    return;
  }
  if (named == NO_VARIANT && !IsAcceptedReply(reply)) {
    Fail(UsesCiReplies(fileVariant) ? MSG_NO_ANSWER_C : MSG_NO_ANSWER_F);
    return;
  }
  SendNextBlock();
}

bool UpgradeSoftwareDialog::IsAcceptedReply(const FrameBytes& reply) const {
  const CommandFrame frame = CommandFrame::FromBytes(reply);
  const auto& accepted = UsesCiReplies(fileVariant) ? CI_HCI_REPLIES : FTA_T_REPLIES;
  for (const CommandFrame& candidate : accepted) {
    if (frame == candidate) return true;
  }
  return false;
}

void UpgradeSoftwareDialog::SendNextBlock() {
  // Block() is empty for a block the image does not hold: such a block is
  // never sent, and the upload ends there as after its last block.
  const std::span<const std::uint8_t> block =
      sentBlocks < blockCount ? image.Block(sentBlocks) : std::span<const std::uint8_t>{};
  if (block.empty()) {
    FinishUpgrade();
    return;
  }
  channel.Write(block.data(), static_cast<std::uint32_t>(block.size()));
  ++sentBlocks;
  ShowBlocks(sentBlocks - 1);
  replyWaitMs = 0;
}

void UpgradeSoftwareDialog::FinishUpgrade() {
  // sentBlocks equals blockCount here unless the image held fewer blocks;
  // the counter then shows what was really sent.
  ShowBlocks(sentBlocks);
  ++sentBlocks;
  cancelButton.SetText(TEXT_CLOSE);
  cancelButton.Repaint();
  warningText.Show(true);
  warningText.Repaint();
  channel.SendCommand(CMD_STOP, FRAME_KIND_COMMAND, 0, 0);
  KillTimer(TIMER_UPGRADE);
  InvalidateWindow();
}

void UpgradeSoftwareDialog::ShowBlocks(std::uint32_t n) {
  progressBar.SetPos(blockCount == 0 ? 0 : static_cast<int>(n * 100u / blockCount));
  blocksText.SetText(BlocksText(n, blockCount));
  progressBar.Repaint();
  blocksText.Repaint();
}

void UpgradeSoftwareDialog::Fail(const std::string& message) {
  channel.SendCommand(CMD_STOP, FRAME_KIND_COMMAND, 0, 0);
  OnCancel();
  MessageBox(message);
}

void UpgradeSoftwareDialog::OnOK() {}

void UpgradeSoftwareDialog::OnCancel() {
  KillTimer(TIMER_UPGRADE);
  Dialog::OnCancel();
}
