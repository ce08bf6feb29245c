// The application object: starts the main window and ends when it closes.
#pragma once

#include <QApplication>

class CMottlerApp : public QApplication {
  Q_OBJECT

 public:
  CMottlerApp(int& argc, char** argv);

  // Runs the main window modally, opening programPath (when not empty) once
  // it is up; returns false, as the application ends with the window.
  bool initInstance(const QString& programPath = QString());
};
