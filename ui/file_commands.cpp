// Commands of the File menu and the document's modified state.  New, Open,
// Save, Save As and Export are placeholders until the document commands are
// built; closing ends the window.
#include "ui/main_dialog.h"

void CMottlerDlg::markModified() { modified = true; }

void CMottlerDlg::onRemarkEdited(const QString& text) {
  remark = text;
  markModified();
}

void CMottlerDlg::newDocument() {}

void CMottlerDlg::openDocument() {}

void CMottlerDlg::saveDocument() {}

void CMottlerDlg::saveDocumentAs() {}

void CMottlerDlg::exportBitmap() {}

void CMottlerDlg::closeDocument() { endDialog(); }
