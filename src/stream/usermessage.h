#pragma once

#include <QIcon>
#include <QString>

class QMessageBox;
class QWidget;

namespace userMessage {

// A message the user must see, with the program's title and icon, kept above the always-on-top
// windows. It opens without a loop of its own, so the tick goes on while it waits for "OK".
QMessageBox *open(QWidget *parent, const QString &title, const QIcon &icon, const QString &text);

} // namespace userMessage
