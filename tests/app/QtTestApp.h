// One QApplication for the whole test program, on Qt's offscreen platform unless the
// environment names another.
#pragma once

#include <QApplication>
#include <cstdlib>

namespace tiermend::testing {

inline QApplication& qtTestApp() {
  static int argc = 1;
  static char name[] = "app_tests";
  static char* argv[] = {name, nullptr};
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Never destroyed: Qt's own globals may be gone by the time static objects are.
  static QApplication* application = new QApplication(argc, argv);
  return *application;
}

// A base for fixtures whose members are widgets: it creates the application first.
struct WithQtApp {
  WithQtApp() { qtTestApp(); }
};

}  // namespace tiermend::testing
