#include "qt_prompts.h"

#include "print_choice.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

QString StandardErrorTitle(const QString &executablePath)
{
    const QString name = QFileInfo(executablePath).completeBaseName();
    return name.left(1) + name.mid(1).toLower();
}

QString StandardErrorText(const QString &message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

QString WithVisibleControls(const QString &text)
{
    QString shown = text;
    for (QChar &c : shown) {
        if (c.unicode() < 0x20 && c != u'\n')
            c = QChar(char16_t(0x2400 + c.unicode()));
        else if (c.unicode() == 0x7F)
            c = QChar(char16_t(0x2421));
    }
    return shown;
}

namespace {

// A message is plain text: Qt would take one that quotes "<b>3" from a file,
// or an item named so, for markup, and neither show nor read out the tag.
void setMessageText(QMessageBox &box, const QString &text)
{
    box.setTextFormat(Qt::PlainText);
    box.setText(WithVisibleControls(text));
}

void showMessage(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text)
{
    QMessageBox box(icon, title, QString(), QMessageBox::Ok, parent);
    setMessageText(box, text);
    box.exec();
}

} // namespace

void QtPrompts::Information(const QString &text)
{
    showMessage(parent_, QMessageBox::Information, QStringLiteral("Information"), text);
}

namespace {

bool askYesNo(QWidget *parent, const QString &text, bool yesIsDefault)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), QString(), QMessageBox::NoButton, parent);
    setMessageText(box, text);
    QPushButton *yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    box.setDefaultButton(yesIsDefault ? yes : no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

} // namespace

bool QtPrompts::Confirm(const QString &text)
{
    return askYesNo(parent_, text, true);
}

bool QtPrompts::ConfirmLoss(const QString &text)
{
    return askYesNo(parent_, text, false);
}

void QtPrompts::Error(const QString &text)
{
    showMessage(parent_, QMessageBox::Critical, QStringLiteral("Error"), text);
}

QString QtPrompts::InputBox(const QString &caption, const QString &prompt, const QString &initial)
{
    InputBoxDialog dialog(caption, prompt, initial, parent_);
    return dialog.exec() == QDialog::Accepted ? dialog.edit()->text() : initial;
}

void QtPrompts::StandardError(const QString &message)
{
    showMessage(parent_, QMessageBox::Critical, StandardErrorTitle(QCoreApplication::applicationFilePath()),
                StandardErrorText(message));
}

bool QtPrompts::ChoosePrinter(QPrinter &printer)
{
    return ChooseChartPrinter(printer, parent_);
}

namespace {

// Qt's dialog takes its first size before the preview joins it, so the
// preview's room comes out of the file list's. As the dialog is shown (laid
// out, not yet on screen) it is widened until the list's columns fit, rather
// than "Date Modified" standing cut off behind a scroll bar.
class FileColumnsFit : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Show)
            return false;
        auto *dialog = static_cast<QWidget *>(watched);
        if (auto *list = dialog->findChild<QTreeView *>(QStringLiteral("treeView"))) {
            const int missing = list->header()->length() - list->viewport()->width();
            if (missing > 0)
                dialog->resize(dialog->width() + missing, dialog->height());
        }
        dialog->removeEventFilter(this);
        return false;
    }
};

// Shows the picture file that is current in the dialog's file list beside
// the list, scaled to fit; for a folder or a file that is no picture the
// box says what it is for. Qt's own dialog is used, since a platform's
// native one has no room for it.
void addPicturePreview(QFileDialog &dialog)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // Qt's dialog lays out its parts in a grid, the file list in row 1.
    auto *grid = qobject_cast<QGridLayout *>(dialog.layout());
    if (!grid)
        return; // laid out otherwise: no preview rather than one over the list
    auto *preview = new QLabel(&dialog);
    preview->setObjectName(QStringLiteral("picturePreview"));
    preview->setAccessibleName(QStringLiteral("Preview"));
    preview->setFixedSize(160, 120);
    preview->setFrameShape(QFrame::StyledPanel);
    preview->setAlignment(Qt::AlignCenter);
    preview->setForegroundRole(QPalette::PlaceholderText);
    const QString empty = QStringLiteral("No preview");
    preview->setText(empty);
    grid->addWidget(preview, 1, 3);
    QObject::connect(&dialog, &QFileDialog::currentChanged, preview, [preview, empty](const QString &path) {
        const QImage picture = QImageReader(path).read();
        if (picture.isNull()) {
            preview->setText(empty);
            return;
        }
        const QSize room = preview->contentsRect().size();
        preview->setPixmap(QPixmap::fromImage(picture.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    });
    dialog.installEventFilter(new FileColumnsFit(&dialog));
}

QString chooseSaveFile(QWidget *parent, const QString &proposed, const QString &filter, const QString &suffix,
                       bool withPreview = false)
{
    QFileDialog dialog(parent);
    if (withPreview)
        addPicturePreview(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(suffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setSizeGripEnabled(true);
    if (!proposed.isEmpty())
        dialog.selectFile(proposed);
    // The data files are found through the working directory. Qt's own dialog
    // leaves it alone, but a platform's native dialog may change it while the
    // user browses, so it is put back whatever the dialog did.
    const QString workingDirectory = QDir::currentPath();
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    QDir::setCurrent(workingDirectory);
    return chosen ? dialog.selectedFiles().constFirst() : QString();
}

} // namespace

QString QtPrompts::SavePictureFileName(const QString &proposed)
{
    return chooseSaveFile(parent_, proposed, QStringLiteral("Bitmaps (*.bmp)"), QStringLiteral("bmp"), true);
}

QString QtPrompts::SaveCsvFileName(const QString &proposed)
{
    return chooseSaveFile(parent_, proposed, QStringLiteral("CSV files (*.csv)"), QStringLiteral("csv"));
}

QString QtPrompts::ChooseFolder(const QString &caption)
{
    const QString workingDirectory = QDir::currentPath(); // as for the save dialogs
    const QString folder = QFileDialog::getExistingDirectory(parent_, caption, QDir::homePath());
    QDir::setCurrent(workingDirectory);
    return folder;
}

InputBoxDialog::InputBoxDialog(const QString &caption, const QString &prompt, const QString &initial, QWidget *parent)
    : QDialog(parent), edit_(new QLineEdit(initial, this))
{
    setWindowTitle(caption);
    edit_->setMaxLength(255);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    // Plain buttons, as the item dialogs' own: some styles give a box's
    // standard buttons icons.
    for (QAbstractButton *button : buttons->buttons())
        button->setIcon(QIcon());
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *label = new QLabel(prompt, this);
    label->setBuddy(edit_);
    edit_->setAccessibleName(prompt);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(edit_);
    layout->addWidget(buttons);
    setMinimumWidth(300);
}
