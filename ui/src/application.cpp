#include "ui/application.h"

#include <QApplication>

#include "window_internal.h"

namespace {
Application* g_current = nullptr;
}

Application::Application() : previous(g_current) { g_current = this; }

Application::~Application() {
  if (g_current == this) g_current = previous;
}

bool Application::InitInstance() { return false; }

void Application::SetMainWindow(Dialog* dialog) { mainWindow = dialog; }
void Application::SetActiveMainWindow(Dialog* dialog) { activeMainWindow = dialog; }
Dialog* Application::MainWindow() const { return activeMainWindow != nullptr ? activeMainWindow : mainWindow; }
Dialog* Application::ActiveMainWindow() const { return activeMainWindow; }
Application* Application::Current() { return g_current; }

int RunApplication(int argc, char** argv, Application& app) {
  QApplication qt(argc, argv);
  // The program's windows are dialogs whose runs end by themselves; Qt must
  // not end the process when one of them closes.
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setWindowIcon(ProgramIcon());
  app.InitInstance();
  return 0;
}
