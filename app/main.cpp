#include "app/globals.h"
#include "ui/application.h"

int main(int argc, char** argv) {
  // The program takes no options: only the program name reaches the toolkit.
  return RunApplication(argc > 0 ? 1 : 0, argv, g_app);
}
