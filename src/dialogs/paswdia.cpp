#include "paswdia.h"
#include "ui_paswdia.h"

#include "cameramodule.h"
#include "edition.h"

paswDia::paswDia(int FaVers, QWidget *parent)
    : QDialog(parent)
    , FaVers(FaVers)
    , ui(new Ui::paswDia)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    ui->paswE->setEchoMode(QLineEdit::Password);
    retranslate();
}

paswDia::~paswDia()
{
    delete ui;
}

void paswDia::fill(const cameraModule &module)
{
    camName = module.camName;
    address = module.shownAddress();
    ui->siteTxL->setText(siteText());
    ui->paswE->setText(module.CAM_Password);
    ui->userE->setText(module.CAM_User);
}

QString paswDia::siteText() const
{
    return tr("%1 at %2").arg(camName, address);
}

QString paswDia::user() const
{
    return ui->userE->text();
}

QString paswDia::password() const
{
    return ui->paswE->text();
}

void paswDia::retranslate()
{
    const QString site = ui->siteTxL->text();
    ui->retranslateUi(this);
    // The standard buttons take their texts from Qt's translation when they are made.
    ui->buttonBox->setStandardButtons(ui->buttonBox->standardButtons());
    ui->siteTxL->setText(camName.isEmpty() && address.isEmpty() ? site : siteText());
    applyTitle();
}

void paswDia::applyTitle()
{
    const edition ed = edition::forVersion(FaVers);
    setWindowTitle(ed.translatedTitle());
    setWindowIcon(QIcon(ed.iconPath));
}
