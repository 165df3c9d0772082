#include "usermessage.h"

#include <QMessageBox>

namespace userMessage {

QMessageBox *open(QWidget *parent, const QString &title, const QIcon &icon, const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
    box->setWindowIcon(icon);
    box->setWindowFlag(Qt::WindowStaysOnTopHint);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    return box;
}

} // namespace userMessage
