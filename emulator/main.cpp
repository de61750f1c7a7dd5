// morvane-receiver: the receiver emulator on a pseudo-terminal, until
// interrupted. One event per line on standard output.

#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/receiver_emulator.h"

namespace {

constexpr std::string_view USAGE =
    "usage: morvane-receiver [--link PATH] [--variant 0..15] [--rom FILE] [--save FILE] [--fast]\n"
    "                        [--upgrade-reply R[,R...]]  R: variant ack 11 aa f0 f2 ff; the last repeats\n"
    "  faults: --silent  --answer-variant N  --short-reply  --stray-byte  --bad-reply\n"
    "          --fault-reply K (first reply of an exchange the reply fault applies to, default 0)\n"
    "          --stop-after N  --hang-up-after N  --delay-ms MS\n";

bool ParseInt(const char* text, int low, int high, int& value) {
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || v < low || v > high) return false;
  value = static_cast<int>(v);
  return true;
}

bool ParseReplies(std::string_view text, std::vector<UpgradeReply>& out) {
  while (!text.empty()) {
    std::string_view item = text.substr(0, text.find(','));
    text.remove_prefix(std::min(text.size(), item.size() + 1));
    if (item == "variant") out.push_back(UpgradeReply::Variant);
    else if (item == "ack") out.push_back(UpgradeReply::PlainAck);
    else if (item == "11") out.push_back(UpgradeReply::Code11);
    else if (item == "aa") out.push_back(UpgradeReply::CodeAA);
    else if (item == "f0") out.push_back(UpgradeReply::CodeF0);
    else if (item == "f2") out.push_back(UpgradeReply::CodeF2);
    else if (item == "ff") out.push_back(UpgradeReply::CodeFF);
    else return false;
  }
  return !out.empty();
}

}  // namespace

int main(int argc, char** argv) {
  EmulatorOptions options;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    bool ok = true;
    bool takesValue = true;
    if (arg == "--fast") options.fast = true, takesValue = false;
    else if (arg == "--silent") options.silent = true, takesValue = false;
    else if (arg == "--short-reply") options.replyFault = ReplyFault::Short, takesValue = false;
    else if (arg == "--stray-byte") options.replyFault = ReplyFault::StrayByte, takesValue = false;
    else if (arg == "--bad-reply") options.replyFault = ReplyFault::NotAccepted, takesValue = false;
    else if (arg == "--help" || arg == "-h") {
      std::cout << USAGE;
      return 0;
    } else if (value == nullptr) ok = false;
    else if (arg == "--link") options.linkPath = value;
    else if (arg == "--rom") options.romFile = value;
    else if (arg == "--save") options.savePath = value;
    else if (arg == "--variant") ok = ParseInt(value, 0, 15, options.variant);
    else if (arg == "--answer-variant") ok = ParseInt(value, 0, 15, options.answerVariant);
    else if (arg == "--fault-reply") ok = ParseInt(value, 0, 1 << 20, options.faultReply);
    else if (arg == "--stop-after") ok = ParseInt(value, 0, 1 << 20, options.stopAfterBlocks);
    else if (arg == "--hang-up-after") ok = ParseInt(value, 0, 1 << 20, options.hangUpAfterBlocks);
    else if (arg == "--delay-ms") ok = ParseInt(value, 0, 3600000, options.delayMs);
    else if (arg == "--upgrade-reply") ok = ParseReplies(value, options.upgradeReplies);
    else ok = false;
    if (!ok) {
      std::cerr << "morvane-receiver: bad option " << arg << (value && takesValue ? std::string(" ") + value : "")
                << "\n" << USAGE;
      return 2;
    }
    if (takesValue) ++i;
  }

  // Signals are taken by sigwait below; blocked before the emulator's thread
  // starts, so that thread never receives them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  options.onEvent = [](const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  };
  ReceiverEmulator emulator(std::move(options));
  std::string error;
  if (!emulator.Start(error)) {
    std::cerr << "morvane-receiver: " << error << "\n";
    return 1;
  }
  int signalNumber = 0;
  sigwait(&stopSignals, &signalNumber);
  emulator.Stop();
  return 0;
}
