#pragma once

#include <QString>

#include <functional>

class QMessageBox;
class QWidget;

namespace dialogMessage {

// A message with an OK button, the edition title and icon, modal to `parent` but opened without
// a nested event loop, so the 40 ms tick keeps serving door calls while it is shown. It deletes
// itself when closed.
QMessageBox *open(QWidget *parent, int FaVers, const QString &text);
// The same as a question with Yes and No, No the default; `yes` runs on Yes.
QMessageBox *ask(QWidget *parent, int FaVers, const QString &text, const std::function<void()> &yes);

} // namespace dialogMessage
