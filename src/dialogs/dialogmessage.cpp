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

QMessageBox *ask(QWidget *parent, int FaVers, const QString &text, const std::function<void()> &yes)
{
    QMessageBox *box = open(parent, FaVers, text);
    box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box->setDefaultButton(QMessageBox::No);
    QObject::connect(box, &QMessageBox::finished, box, [box, yes] {
        if (box->standardButton(box->clickedButton()) == QMessageBox::Yes)
            yes();
    });
    return box;
}

} // namespace dialogMessage
