#include "delete_dialog.h"

#include "appearance.h"
#include "ledger.h"
#include "line_file.h"
#include "prompts.h"
#include "text_fit.h"

#include <QLabel>
#include <QPushButton>

TForm2::TForm2(Ledger &ledger, Prompts &prompts, QWidget *parent)
    : ItemDialog(QStringLiteral("Delete Item"), QSize(254, 112), parent),
      Label1(new QLabel(QStringLiteral("Select item to delete:"), this)), ComboBox1(new ItemComboBox(this)),
      Button1(new QPushButton(QStringLiteral("OK"), this)), Button2(new QPushButton(QStringLiteral("Cancel"), this)),
      ledger_(ledger), prompts_(prompts)
{
    PlaceChild(Label1, QRect(24, 16, 99, 13));
    PlaceChild(ComboBox1, QRect(24, 32, 209, 21));
    PlaceChild(Button1, QRect(32, 72, 83, 25));
    PlaceChild(Button2, QRect(136, 72, 81, 25));
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, ComboBox1);
    Label1->setBuddy(ComboBox1);
    ComboBox1->setAccessibleLabel(Label1->text());
    KeepWholeText(Label1);
    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
}

void TForm2::FormActivate()
{
    ComboBox1->fillItems(ledger_.state().ItemTable.Names);
    ComboBox1->setFocus(); // typing the name is what comes first
}

void TForm2::Button1Click()
{
    const int position = ComboBox1->chosenIndex();
    if (position < 0)
        return;
    const QString name = ReadableText(ledger_.state().ItemTable.Names.at(position));
    if (!prompts_.Confirm(QStringLiteral("Confirm deletion of \"%1\"").arg(name))) {
        reject();
        return;
    }
    if (RunGuarded(prompts_, [this, position] { ledger_.DeleteItem(position); })) {
        accept();
        return;
    }
    // The item is gone from memory although the files could not be written:
    // the list must not offer it again, or the old positions would name other items.
    FormActivate();
}

void TForm2::Button2Click()
{
    reject();
}
