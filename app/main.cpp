// The entry: the locale first, then the application, which runs the tool from the
// creation of its main window to the end of the message loop.
#include <clocale>

#include "app/Application.h"

int main(int argc, char* argv[]) {
  std::setlocale(LC_ALL, "");
  tiermend::app::Application application(argc, argv);
  try {
    return application.run();
  } catch (...) {
    application.showLastResortReport();
    return 1;
  }
}
