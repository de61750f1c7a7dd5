#pragma once
// The application object: one per process, constructed before RunApplication
// (typically a global). RunApplication creates the Qt application, sets the
// program icon and calls InitInstance; the program's work happens there.

class Dialog;

class Application {
 public:
  Application();
  virtual ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  virtual bool InitInstance();

  // A dialog run without an owner is owned by MainWindow() (the active main
  // window when one is set): that window stays visible but takes no input.
  // When MainWindow() has no window (e.g. the dialog being run itself), the
  // dialog stands alone with its own task-bar entry.
  void SetMainWindow(Dialog* dialog);
  void SetActiveMainWindow(Dialog* dialog);  // nullptr: none
  Dialog* MainWindow() const;  // the active main window if set, else the main window
  Dialog* ActiveMainWindow() const;

  // The most recently constructed application still alive, or nullptr.
  static Application* Current();

 private:
  Dialog* mainWindow = nullptr;
  Dialog* activeMainWindow = nullptr;
  Application* previous = nullptr;
};

// Command-line arguments are passed to Qt only. Returns 0.
int RunApplication(int argc, char** argv, Application& app);
