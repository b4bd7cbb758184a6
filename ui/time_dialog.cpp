#include "time_dialog.h"

#include "appearance.h"
#include "dialog_modes.h"
#include "ledger.h"
#include "line_file.h"
#include "prompts.h"
#include "text_fit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

TForm3::TForm3(Ledger &ledger, Prompts &prompts, DialogModes &modes, QWidget *parent)
    : ItemDialog(QStringLiteral("Add Time"), QSize(254, 226), parent), Label1(new QLabel(this)),
      ComboBox1(new ItemComboBox(this)), Label2(new QLabel(this)), Edit1(new QLineEdit(this)),
      Button1(new QPushButton(QStringLiteral("OK"), this)), Button2(new QPushButton(QStringLiteral("Cancel"), this)),
      ledger_(ledger), prompts_(prompts), modes_(modes)
{
    // The menu handler changes the label texts: they take the fields' width.
    PlaceChild(Label1, QRect(24, 24, 209, Label1->sizeHint().height()));
    PlaceChild(ComboBox1, QRect(24, 40, 209, 21));
    PlaceChild(Label2, QRect(24, 104, 209, Label2->sizeHint().height()));
    PlaceChild(Edit1, QRect(24, 120, 209, 21));
    PlaceChild(Button1, QRect(32, 176, 81, 25));
    PlaceChild(Button2, QRect(136, 176, 81, 25));
    Label1->setBuddy(ComboBox1);
    Label2->setBuddy(Edit1);
    setTabOrder(ComboBox1, Edit1);
    setTabOrder(Edit1, Button1);
    setTabOrder(Button1, Button2);
    connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm3::Button2Click);
}

void TForm3::FormActivate()
{
    ComboBox1->fillItems(ledger_.state().ItemTable.Names);
    Edit1->setText(QStringLiteral("0"));
    // The menu handler has just put this showing's prompts on the labels.
    ComboBox1->setAccessibleLabel(Label1->text());
    Edit1->setAccessibleName(Label2->text());
    for (QLabel *label : {Label1, Label2})
        KeepWholeText(label);
    ComboBox1->setFocus();
}

void TForm3::Button1Click()
{
    const int position = ComboBox1->chosenIndex();
    if (position < 0)
        return;
    bool isInteger = false;
    const qint32 amount = TryStrToInt(Edit1->text(), &isInteger);
    if (!isInteger) {
        prompts_.Error(QStringLiteral("Extra time must be an integer value!!"));
        return;
    }
    // After midnight the new day is saved first; when that save fails, the
    // standard error box says so and the dialog stays open for another try.
    bool applied = false;
    if (!RunGuarded(prompts_, [&] { applied = ledger_.AdjustTime(position, amount, modes_.TimeEditMode == 1); }))
        return;
    if (!applied) {
        prompts_.Error(QStringLiteral("The minutes of \"%1\" would go beyond the range that the program can "
                                      "store (%2 to %3). Nothing has been changed.")
                           .arg(ReadableText(ledger_.state().ItemTable.Names.at(position)))
                           .arg(std::numeric_limits<qint32>::min())
                           .arg(std::numeric_limits<qint32>::max()));
        return;
    }
    accept();
}

void TForm3::Button2Click()
{
    reject();
}
