// Ways out of the program: the maker's web page and the help manual, both
// shown in the user's browser.
#pragma once

#include <QString>

class QWidget;

namespace mottler::ui {

// The maker's home page.
inline const QString kMakerWebAddress = QStringLiteral("https://www.varnholt.example/");

// Opens the maker's home page; whether the browser came up is not examined.
void openWebPage();

// The manual's front page, installed beside the program: <program folder>/help/index.html.
QString helpIndexPath();

// Opens the manual's front page in the browser.  caller is the window help
// was asked for (none from the menu); it does not change what is shown.
// Returns whether the manual could be handed to the browser; a missing
// manual is not reported to the user.
bool showHelp(QWidget* caller = nullptr);

// showHelp with the manual's front page at indexPath.
bool showHelpAt(const QString& indexPath);

}  // namespace mottler::ui
