// morvane-bench: times a complete read and a complete upgrade of a 256-block
// image through the real dialogs against the receiver emulator on its own
// thread, and reports wall time against the line-rate time of the bytes moved
// and the GUI thread's CPU time against wall time.
//
//   morvane-bench [paced-read] [paced-upgrade] [fast-read] [fast-upgrade]
//
// With no argument all four run. Results go to standard output; the exit
// status is 0 when every run completed correctly, whatever the figures.

#include <stdlib.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/variants.h"
#include "emulator/receiver_emulator.h"
#include "operations/read_software_dialog.h"
#include "operations/upgrade_software_dialog.h"
#include "ui/application.h"
#include "ui/prompts.h"

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

constexpr int VARIANT = 0;  // Fta 29 1: 256 blocks
constexpr std::size_t BLOCK = 4096;
constexpr double LINE_BYTES_PER_SECOND = 11520.0;  // 115,200 baud, 10 bits a byte
constexpr double TICK_SECONDS = 0.05;

double ThreadCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_THREAD, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Answers the read's Save-As with a fixed path and keeps every message.
class BenchPrompts : public Prompts {
 public:
  void ShowMessage(Dialog*, const std::string& text, const std::string&) override { messages.push_back(text); }
  std::optional<std::string> ChooseFile(const FileRequest&) override { return savePath; }
  std::string savePath;
  std::vector<std::string> messages;
};

// Ends the upgrade as soon as it is done, as the user pressing "Close" would.
class TimedUpgrade : public UpgradeSoftwareDialog {
 public:
  using UpgradeSoftwareDialog::UpgradeSoftwareDialog;
  void OnTimer(int id) override {
    UpgradeSoftwareDialog::OnTimer(id);
    if (IsRunningModal() && !IsTimerRunning(TIMER_UPGRADE)) {
      completed = true;
      OnCancel();
    }
  }
  bool completed = false;
};

struct Run {
  std::string name;
  bool paced = false;
  bool ok = false;
  double wall = 0;
  double cpu = 0;
  std::uint64_t bytesMoved = 0;
  std::uint64_t minimumTicks = 0;
};

class Workspace {
 public:
  Workspace() {
    char pattern[] = "/tmp/morvane-bench-XXXXXX";
    if (::mkdtemp(pattern) != nullptr) path = pattern;
  }
  ~Workspace() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
  std::string path;
};

struct Emulator {
  explicit Emulator(const std::string& dir, bool fast) {
    EmulatorOptions options;
    options.variant = VARIANT;
    options.fast = fast;
    options.linkPath = dir + "/com1";
    options.onEvent = [this](const std::string& line) {
      if (line.rfind("reply ", 0) == 0) sent += 12;
      if (line.rfind("block-sent ", 0) == 0) sent += BLOCK;
    };
    emulator.emplace(std::move(options));
    std::string error;
    started = emulator->Start(error);
    if (!started) std::fprintf(stderr, "emulator: %s\n", error.c_str());
    ::setenv("MORVANE_COM1", emulator->LinkPath().c_str(), 1);
  }
  std::optional<ReceiverEmulator> emulator;
  std::atomic<std::uint64_t> sent{0};  // receiver to PC
  bool started = false;
};

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Run BenchRead(bool paced) {
  Run run{paced ? "paced read" : "unpaced read", paced};
  Workspace dir;
  Emulator receiver(dir.path, !paced);
  if (!receiver.started) return run;
  BenchPrompts prompts;
  prompts.savePath = dir.path + "/rom.bin";
  Prompts* previous = InstallPrompts(&prompts);

  std::int32_t portIndex = 0;
  const double cpu0 = ThreadCpuSeconds();
  const auto t0 = Clock::now();
  {
    ReadSoftwareDialog dialog(portIndex);
    dialog.DoModal();
  }
  run.wall = std::chrono::duration<double>(Clock::now() - t0).count();
  run.cpu = ThreadCpuSeconds() - cpu0;
  InstallPrompts(previous);

  receiver.emulator->WaitForEvent("read-complete", std::chrono::seconds(5));
  run.bytesMoved = receiver.emulator->ReceivedBytes().size() + receiver.sent;
  run.minimumTicks = BlockCount(VARIANT);
  Bytes expected(Signature(VARIANT).begin(), Signature(VARIANT).end());
  const Bytes& flash = receiver.emulator->Flash();
  expected.insert(expected.end(), flash.begin(), flash.end());
  run.ok = prompts.messages.empty() && ReadFile(prompts.savePath) == expected;
  for (const std::string& m : prompts.messages) std::printf("  message: %s\n", m.c_str());
  receiver.emulator->Stop();
  return run;
}

Run BenchUpgrade(bool paced) {
  Run run{paced ? "paced upgrade" : "unpaced upgrade", paced};
  Workspace dir;
  Bytes image(Signature(VARIANT).begin(), Signature(VARIANT).end());
  image.resize(image.size() + BlockCount(VARIANT) * BLOCK);
  std::uint32_t x = 12345;
  for (std::size_t i = 13; i < image.size(); ++i) {
    x = x * 1664525u + 1013904223u;
    image[i] = static_cast<std::uint8_t>(x >> 24);
  }
  const std::string path = dir.path + "/upgrade.bin";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                              static_cast<std::streamsize>(image.size()));
  Emulator receiver(dir.path, !paced);
  if (!receiver.started) return run;
  BenchPrompts prompts;
  Prompts* previous = InstallPrompts(&prompts);

  std::int32_t portIndex = 0;
  bool completed = false;
  const double cpu0 = ThreadCpuSeconds();
  const auto t0 = Clock::now();
  {
    TimedUpgrade dialog(path, portIndex);
    dialog.DoModal();
    completed = dialog.completed;
  }
  run.wall = std::chrono::duration<double>(Clock::now() - t0).count();
  run.cpu = ThreadCpuSeconds() - cpu0;
  InstallPrompts(previous);

  receiver.emulator->WaitForEvent("upgrade-complete", std::chrono::seconds(5));
  run.bytesMoved = receiver.emulator->ReceivedBytes().size() + receiver.sent;
  run.minimumTicks = BlockCount(VARIANT) + 1;
  run.ok = completed && prompts.messages.empty() &&
           receiver.emulator->UpgradeReceived() == Bytes(image.begin() + 13, image.end());
  for (const std::string& m : prompts.messages) std::printf("  message: %s\n", m.c_str());
  receiver.emulator->Stop();
  return run;
}

void Report(const Run& run) {
  std::printf("%s: %s\n", run.name.c_str(), run.ok ? "complete, data verified" : "FAILED");
  std::printf("  wall %.2f s, bytes moved %llu, GUI thread CPU %.3f s (%.2f %% of wall)\n", run.wall,
              static_cast<unsigned long long>(run.bytesMoved), run.cpu, 100.0 * run.cpu / run.wall);
  if (run.paced) {
    const double lineTime = static_cast<double>(run.bytesMoved) / LINE_BYTES_PER_SECOND;
    std::printf("  line-rate time %.2f s, wall / line-rate %.3f (target <= 1.10), CPU share target < 2 %%\n",
                lineTime, run.wall / lineTime);
  } else {
    const double tickTime = static_cast<double>(run.minimumTicks) * TICK_SECONDS;
    std::printf("  %llu ticks of 50 ms = %.2f s, wall / ticks %.3f (target <= 1.05 for the read)\n",
                static_cast<unsigned long long>(run.minimumTicks), tickTime, run.wall / tickTime);
  }
  std::fflush(stdout);
}

class BenchApp : public Application {
 public:
  std::vector<std::string> runs;
  int status = 0;
  bool InitInstance() override {
    for (const std::string& r : runs) {
      Run run;
      if (r == "paced-read") run = BenchRead(true);
      else if (r == "paced-upgrade") run = BenchUpgrade(true);
      else if (r == "fast-read") run = BenchRead(false);
      else if (r == "fast-upgrade") run = BenchUpgrade(false);
      else {
        std::fprintf(stderr, "morvane-bench: unknown run %s\n", r.c_str());
        status = 2;
        continue;
      }
      Report(run);
      if (!run.ok) status = 1;
    }
    return false;
  }
};

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  BenchApp app;
  for (int i = 1; i < argc; ++i) app.runs.emplace_back(argv[i]);
  if (app.runs.empty()) app.runs = {"fast-read", "fast-upgrade", "paced-read", "paced-upgrade"};
  // Qt sees only the program name.
  int qtArgc = 1;
  RunApplication(qtArgc, argv, app);
  return app.status;
}
