// Mottler: makes seamless procedural textures.
//
//   mottler [OPTION]... [PROGRAM.mlr]
//
// The command line is read before the window system is touched, so that
// --help, --version and wrong usage answer on a machine without a display.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <optional>

#include "document/version.h"
#include "ui/artwork.h"
#include "ui/mottler_app.h"

namespace {

// What the command line asks for when it asks for the window.
struct StartRequest {
  QString programPath;  // empty: start with an empty program
};

// The options the window system itself reads (QApplication takes them out
// of the arguments); known here so that "-style fusion" or "-platform
// offscreen" are not refused before the application can see them.
void addWindowSystemOptions(QCommandLineParser& parser) {
  const char* const withValue[] = {
      "platform",    "platformpluginpath", "platformtheme", "plugin",       "qwindowgeometry",
      "qwindowicon", "qwindowtitle",       "session",       "style",        "stylesheet",
      "display",     "geometry",           "title",         "qmljsdebugger"};
  const char* const flags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};
  for (const char* name : withValue) {
    QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
  }
  for (const char* name : flags) {
    QCommandLineOption option(QString::fromLatin1(name));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
  }
}

int usageError(const QString& message) {
  std::fprintf(stderr, "mottler: %s\nTry 'mottler --help'.\n", qPrintable(message));
  return 2;
}

// Reads the command line.  Returns the exit status when the program ends
// here (help, version, wrong usage), or nothing when the window is to open,
// with the request filled in.
std::optional<int> readCommandLine(int argc, char** argv, StartRequest& request) {
  QCoreApplication probe(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("mottler"));
  QCoreApplication::setApplicationVersion(QString::fromLatin1(mottler::kVersion));

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Makes seamless procedural textures: compose a program of commands, tune it\n"
                     "in the preview, save it as a program file and export the texture."));
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Displays this help."));
  parser.addOption(help);
  const QCommandLineOption version = parser.addVersionOption();
  addWindowSystemOptions(parser);
  parser.addPositionalArgument(QStringLiteral("PROGRAM.mlr"),
                               QStringLiteral("A program file to open at start."),
                               QStringLiteral("[PROGRAM.mlr]"));

  if (!parser.parse(probe.arguments())) return usageError(parser.errorText());
  if (parser.isSet(help)) {
    // The usage line names the program as it is known, not the path it was
    // started by.
    QString text = parser.helpText();
    text.replace(0, text.indexOf(QLatin1Char('\n')),
                 QStringLiteral("Usage: mottler [options] [PROGRAM.mlr]"));
    std::fputs(qPrintable(text), stdout);
    return 0;
  }
  if (parser.isSet(version)) {
    std::printf("mottler %s\n", mottler::kVersion);
    return 0;
  }
  const QStringList programs = parser.positionalArguments();
  if (programs.size() > 1) return usageError(QStringLiteral("more than one program file given"));
  if (!programs.isEmpty()) request.programPath = programs.first();
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  StartRequest request;
  if (const std::optional<int> status = readCommandLine(argc, argv, request)) return *status;
  CMottlerApp app(argc, argv);
  // Ties the window to the installed desktop entry and its icon.
  QGuiApplication::setDesktopFileName(QStringLiteral(MOTTLER_APP_ID));
  QCoreApplication::setApplicationVersion(QString::fromLatin1(mottler::kVersion));
  // Every window of the application, the small dialogs too, shows the icon.
  QApplication::setWindowIcon(mottler::ui::applicationIcon());
  app.initInstance(request.programPath);
  return 0;
}
