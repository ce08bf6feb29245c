// Ways out of the program: the maker's web page and the help manual, both
// shown in the user's browser.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace mottler::ui {

// The maker's home page.
inline const QString kMakerWebAddress = QStringLiteral("https://www.varnholt.example/");

// Opens the maker's home page; whether the browser came up is not examined.
void openWebPage();

// Where the manual's front page is looked for, in this order:
//   <program folder>/help/index.html, where the build writes it beside the
//     programs;
//   the installed manual, found from the program folder the way the install
//     lays it out (<prefix>/bin -> <prefix>/share/mottler/help), so a moved
//     installation still finds it;
//   mottler/help/index.html in each of the user's and the system's data
//     folders ($XDG_DATA_HOME, $XDG_DATA_DIRS).
QStringList helpIndexCandidates();

// The first of the candidates that exists; empty when there is none.
QString helpIndexPath();

// Opens the manual's front page in the browser.  When there is no manual,
// or the browser cannot be started, says so in a message box over parent
// (naming where the manual was looked for, or the file to open by hand).
// Returns whether the manual was handed to the browser.
bool showHelp(QWidget* parent = nullptr);

// showHelp with the manual's front page at indexPath.
bool showHelpAt(QWidget* parent, const QString& indexPath);

// The messages of showHelp.
QString helpMissingText(const QStringList& candidates);
QString helpNotShownText(const QString& indexPath);

}  // namespace mottler::ui
