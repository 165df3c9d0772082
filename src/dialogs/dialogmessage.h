#pragma once

#include <QString>

class QMessageBox;
class QWidget;

namespace dialogMessage {

// A message with an OK button, the edition title and icon, modal to `parent` but opened without
// a nested event loop, so the 40 ms tick keeps serving door calls while it is shown. It deletes
// itself when closed.
QMessageBox *open(QWidget *parent, int FaVers, const QString &text);

} // namespace dialogMessage
