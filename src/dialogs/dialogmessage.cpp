#include "dialogmessage.h"

#include "edition.h"

#include <QIcon>
#include <QMessageBox>

namespace dialogMessage {

QMessageBox *open(QWidget *parent, int FaVers, const QString &text)
{
    const edition ed = edition::forVersion(FaVers);
    auto *box = new QMessageBox(QMessageBox::NoIcon, ed.translatedTitle(), text, QMessageBox::Ok, parent);
    box->setWindowIcon(QIcon(ed.iconPath));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    return box;
}

} // namespace dialogMessage
