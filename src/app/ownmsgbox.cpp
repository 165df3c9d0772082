#include "ownmsgbox.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ownMsgBox::ownMsgBox(const QIcon &icon, const QString &title)
    : label(new QLabel(this))
{
    auto *button = new QPushButton(QStringLiteral("OK"), this);
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(button);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(buttonRow);
    connect(button, &QPushButton::clicked, this, &ownMsgBox::butErg);

    // The close-button hint is on by default; toggling it leaves the notice without one.
    setWindowFlags(windowFlags() ^ Qt::WindowCloseButtonHint);
    setEdition(icon, title);
    retranslate();
}

void ownMsgBox::setEdition(const QIcon &icon, const QString &title)
{
    setWindowIcon(icon);
    setWindowTitle(title);
}

void ownMsgBox::retranslate()
{
    if (trayShown) {
        label->setText(tr("Das Programm bleibt im 'System Tray' aktiv. Zum Verlassen \n"
                          "wählen Sie bitte im System Tray Menü den Eintrag <Beenden>."));
        return;
    }
    label->setText(tr("Das Programm bleibt aktiv und meldet weiter jeden Ruf. Zum Anzeigen starten \n"
                      "Sie es erneut aus dem Menü, zum Verlassen wählen Sie dort <Beenden>."));
}

void ownMsgBox::setTrayShown(bool shown)
{
    trayShown = shown;
    retranslate();
}

QString ownMsgBox::text() const
{
    return label->text();
}

void ownMsgBox::butErg()
{
    hide();
}

void ownMsgBox::closeEvent(QCloseEvent *event)
{
    event->ignore();
    hide();
}

void ownMsgBox::keyReleaseEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        hide();
        break;
    default:
        break;
    }
}
