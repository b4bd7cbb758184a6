#include "item_combo_box.h"

#include "line_file.h"

#include <QCompleter>
#include <QLineEdit>
#include <QScreen>
#include <QShowEvent>

ItemComboBox::ItemComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert); // Enter must never add the typed text as an entry
    completer()->setCompletionMode(QCompleter::InlineCompletion);
    completer()->setCaseSensitivity(Qt::CaseInsensitive);
    connect(this, &QComboBox::currentIndexChanged, this, [this] { touched_ = true; });
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { touched_ = true; });
}

void ItemComboBox::fillItems(const QStringList &names)
{
    clear();
    for (const QString &name : names)
        addItem(ReadableText(name));
    setCurrentIndex(-1); // adding to an empty list makes the first entry current
    setEditText(QStringLiteral("Select"));
    lineEdit()->selectAll(); // typing replaces the placeholder
    touched_ = false;
}

int ItemComboBox::chosenIndex() const
{
    const QString text = currentText();
    if (!touched_ || text.isEmpty())
        return -1;
    if (currentIndex() >= 0 && itemText(currentIndex()) == text)
        return currentIndex();
    const int equal = findText(text, Qt::MatchFixedString);
    return equal >= 0 ? equal : findText(text, Qt::MatchStartsWith);
}

void ItemComboBox::setAccessibleLabel(const QString &label)
{
    setAccessibleName(label);
    lineEdit()->setAccessibleName(label);
}

ItemDialog::ItemDialog(const QString &caption, QSize clientSize, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(caption);
    setFixedSize(clientSize);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
}

void ItemDialog::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        const QRect area = screen()->availableGeometry();
        const QSize frame = frameGeometry().size();
        move(area.center() - QPoint(frame.width() / 2, frame.height() / 2));
        FormActivate();
    }
    QDialog::showEvent(event);
}
