// Saves a PNG of each dialog's window for the documentation:
//   morvane-screenshots OUTPUT_DIR
// Each dialog is run modally and captured once its window is up, then closed.
// A new dialog is one more row in SHOTS.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/about_dialog.h"
#include "app/control_panel_dialog.h"
#include "remote/remote_keypad_dialog.h"
#include "ui/application.h"
#include "ui/dialog.h"
#include "ui/qt_bridge.h"
#include "ui/window_image.h"

namespace {

std::int32_t g_shotPortIndex = 0;
// Outside 0 to 3, so the keypad opens no serial device for its picture.
std::int32_t g_keypadPortIndex = -1;

struct Shot {
  const char* fileName;
  std::function<std::unique_ptr<Dialog>()> make;
};

const std::vector<Shot> SHOTS = {
    {"control-panel.png", [] { return std::make_unique<ControlPanelDialog>(g_shotPortIndex); }},
    {"about.png", [] { return std::make_unique<AboutDialog>(); }},
    {"remote-keypad.png", [] { return std::make_unique<RemoteKeypadDialog>(g_keypadPortIndex); }},
};

Dialog* g_target = nullptr;
std::string g_targetPath;
bool g_saved = false;

void CaptureWhenRunning(Dialog& dialog, bool running) {
  if (!running || &dialog != g_target) return;
  g_saved = SaveWindowImage(dialog, g_targetPath);
  dialog.EndDialog(IDCANCEL);
}

class ScreenshotApp : public Application {
 public:
  explicit ScreenshotApp(std::string directory) : outputDirectory(std::move(directory)) {}

  bool InitInstance() override {
    SetModalObserver(&CaptureWhenRunning);
    for (const Shot& shot : SHOTS) {
      std::unique_ptr<Dialog> dialog = shot.make();
      g_target = dialog.get();
      g_targetPath = outputDirectory + "/" + shot.fileName;
      g_saved = false;
      dialog->DoModal();
      g_target = nullptr;
      if (g_saved) {
        std::printf("saved %s\n", g_targetPath.c_str());
      } else {
        std::fprintf(stderr, "could not save %s\n", g_targetPath.c_str());
        failed = true;
      }
    }
    SetModalObserver(nullptr);
    return false;
  }

  std::string outputDirectory;
  bool failed = false;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argc > 0 ? argv[0] : "morvane-screenshots");
    return 2;
  }
  ScreenshotApp app(argv[1]);
  RunApplication(1, argv, app);
  return app.failed ? 1 : 0;
}
