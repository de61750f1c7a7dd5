#include "operations/read_software_dialog.h"

#include <new>

#include "catalogue/rom_image.h"
#include "operation_texts.h"
#include "resources/dialog_templates.h"
#include "ui/prompts.h"

namespace {

constexpr const char* SAVE_TITLE = "save as rom(*.bin) file";

}  // namespace

ReadSoftwareDialog::ReadSoftwareDialog(std::int32_t& index, unsigned timerPeriodMs)
    : Dialog(DIALOG_READ), portIndex(index), timerPeriod(timerPeriodMs) {}

ReadSoftwareDialog::~ReadSoftwareDialog() = default;

void ReadSoftwareDialog::DoDataExchange(DataExchange& exchange) {
  exchange.Control(IDC_PROGRESS, progressBar);
  exchange.Control(IDC_BLOCKS_TEXT, blocksText);
}

bool ReadSoftwareDialog::OnInitDialog() {
  Dialog::OnInitDialog();

  // Asked before the read dialog shows; no default extension is added.
  FileRequest request;
  request.kind = FileDialogKind::Save;
  request.title = SAVE_TITLE;
  request.filter = ROM_FILE_FILTER;
  request.initialName = ROM_DEFAULT_NAME;
  request.confirmOverwrite = true;
  request.hideReadOnly = true;
  FileDialog saveAs(request);
  if (saveAs.DoModal() != IDOK) {
    OnCancel();
    return false;
  }
  savePath = saveAs.GetPathName();

  blocksText.SetText(BlocksText(0, 0));
  progressBar.Repaint();
  blocksText.Repaint();

  if (!StartRead()) {
    OnCancel();
    return false;
  }
  return true;
}

bool ReadSoftwareDialog::StartRead() {
  try {
    if (!OpenPortAndSend(*this, channel, portIndex, CMD_READ)) return false;
    SetTimer(TIMER_IDENT, timerPeriod);
    return true;
  } catch (...) {
    return false;
  }
}

void ReadSoftwareDialog::OnOK() {}

void ReadSoftwareDialog::OnCancel() {
  KillTimer(TIMER_IDENT);
  KillTimer(TIMER_BLOCKS);
  Dialog::OnCancel();
}

void ReadSoftwareDialog::OnTimer(int id) {
  // A tick for a phase that is not running (any more) does nothing.
  if (!IsTimerRunning(id)) return;
  if (id == TIMER_IDENT) {
    OnIdentTick();
  } else if (id == TIMER_BLOCKS) {
    OnBlockTick();
  }
}

void ReadSoftwareDialog::OnIdentTick() {
  if (channel.BytesWaiting() < FRAME_SIZE) {
    identWaitMs += TICK_MS;
    if (identWaitMs >= WAIT_LIMIT_MS) Fail(MSG_NO_ANSWER_2);
    return;
  }
  KillTimer(TIMER_IDENT);
  // Exactly the 12 reply bytes: the receiver sends block 0 right behind its
  // reply, and those bytes stay queued for the block phase.
  FrameBytes reply{};
  channel.Read(reply.data(), static_cast<std::uint32_t>(reply.size()));
  const SoftwareVariant named = VariantFromReply(reply);
  if (named == NO_VARIANT) {
    Fail(MSG_NO_ANSWER_1);
    return;
  }
  variant = named;
  blockCount = BlockCount(variant);
  try {
    image.assign(std::size_t{blockCount} * ROM_BLOCK_SIZE, 0);
  } catch (const std::bad_alloc&) {
    Fail(MSG_ALLOC_MEMORY_ERROR);
    return;
  }
  // Nothing is sent here: block 0 comes unasked.
  SetTimer(TIMER_BLOCKS, timerPeriod);
}

void ReadSoftwareDialog::OnBlockTick() {
  if (channel.BytesWaiting() < ROM_BLOCK_SIZE) {
    blockWaitMs += TICK_MS;
    if (blockWaitMs >= WAIT_LIMIT_MS) Fail(MSG_NO_ANSWER);
    return;
  }
  if (receivedBlocks < blockCount) {
    channel.Read(image.data() + std::size_t{receivedBlocks} * ROM_BLOCK_SIZE,
                 static_cast<std::uint32_t>(ROM_BLOCK_SIZE));
  }
  const CommandFrame ack = VariantFrame(variant);
  channel.SendCommand(ack.code, ack.kind, ack.param1, ack.param2);
  ++receivedBlocks;
  ShowBlocks(receivedBlocks);
  if (receivedBlocks < blockCount) {
    blockWaitMs = 0;
    return;
  }
  // Stopped first, so no tick can run the failure sequence over a write-error message.
  KillTimer(TIMER_BLOCKS);
  channel.SendCommand(CMD_READ_DONE, 0, 0, 0);
  DialogRomMessages messages(*this);
  WriteRomImage(savePath, variant, image, messages);
  OnCancel();
}

void ReadSoftwareDialog::ShowBlocks(std::uint32_t count) {
  const std::uint32_t percent = blockCount == 0 ? 0 : count * 100U / blockCount;
  progressBar.SetPos(static_cast<int>(percent));
  blocksText.SetText(BlocksText(count, blockCount));
  progressBar.Repaint();
  blocksText.Repaint();
}

void ReadSoftwareDialog::Fail(const char* message) {
  channel.SendCommand(CMD_STOP, 0, 0, 0);
  OnCancel();
  MessageBox(message);
}
