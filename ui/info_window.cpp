#include "info_window.h"

#include "appearance.h"
#include "dialog_modes.h"
#include "help_text.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace {

const QSize kHelpOuterSize(543, 451);
const QSize kAboutOuterSize(219, 344);
// Qt controls the client area only, and the window manager adds its frame
// around it. The client is made the stated outer size less a nominal frame of
// 4 pixels per side and a 23-pixel caption bar, so with a typical frame the
// window comes out at the stated outer size and every visible widget fits.
const QSize kNominalFrame(8, 27);

// The logo with every pixel of its background colour, the colour of its
// bottom-left pixel, left out.
QPixmap TransparentLogo()
{
    QImage logo = QImage(QStringLiteral(":/logo.bmp")).convertToFormat(QImage::Format_ARGB32);
    if (logo.isNull())
        return {};
    const QRgb background = logo.pixel(0, logo.height() - 1);
    for (int y = 0; y < logo.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(logo.scanLine(y));
        std::replace(line, line + logo.width(), background, qRgba(0, 0, 0, 0));
    }
    return QPixmap::fromImage(logo);
}


} // namespace

TForm5::TForm5(DialogModes &modes, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      modes_(modes)
{
    Q_INIT_RESOURCE(resources); // the resources live in a static library
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

    Memo1 = new QPlainTextEdit(this);
    place(Memo1, QRect(8, 8, 521, 377));
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setPlainText(HelpText());
    Memo1->setAccessibleName(QStringLiteral("Help text"));

    QFont titleFont(QStringLiteral("Century"));
    titleFont.setPixelSize(19);
    titleFont.setBold(true);
    titleFont.setItalic(true);
    StaticText1 = new QLabel(QStringLiteral("Hourwise"), this);
    StaticText1->setFont(titleFont);
    place(StaticText1, QRect(8, 8, 110, 27));
    StaticText2 = staticText(QStringLiteral("by the Hourwise authors"), QRect(48, 48, 101, 17));
    StaticText3 = staticText(QStringLiteral("Email:"), QRect(48, 72, 32, 17));
    StaticText4 = staticText(QStringLiteral("hourwise@example.org"), QRect(80, 72, 113, 17));
    StaticText6 = staticText(QStringLiteral("www.example.org"), QRect(48, 96, 105, 17));
    StaticText5 = staticText(QStringLiteral("2005"), QRect(48, 120, 28, 17));

    Image1 = new QLabel(this);
    place(Image1, QRect(40, 136, 305, 193));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setPixmap(TransparentLogo());
    Image1->hide(); // only the about face shows it; the help text lies where it would stand

    Button1 = new QPushButton(QStringLiteral("Close"), this);
    place(Button1, QRect(8, 392, 75, 25));
    connect(Button1, &QPushButton::clicked, this, &TForm5::Button1Click);
}

void TForm5::setVisible(bool visible)
{
    if (visible && !isVisible())
        FormActivate();
    else if (!visible && isVisible())
        FormClose();
    QDialog::setVisible(visible);
}

void TForm5::FormActivate()
{
    if (modes_.InfoMode == 1)
        showHelpFace();
    else if (modes_.InfoMode == 2)
        showAboutFace();
    centreOnScreen();
}

void TForm5::FormClose()
{
    Image1->hide();
}

void TForm5::Button1Click()
{
    close();
}

// The logo is left as it is: hidden from the start and by every closing.
void TForm5::showHelpFace()
{
    setWindowTitle(QStringLiteral("Help"));
    const QString text = HelpText(modes_.ComputersCounted);
    if (Memo1->toPlainText() != text) // setting it again would scroll back to the top
        Memo1->setPlainText(text);
    Memo1->show();
    designed_[Button1].moveTopLeft(QPoint(8, 392));
    setOuterSize(kHelpOuterSize);
    for (QLabel *text : staticTexts())
        text->hide();
}

void TForm5::showAboutFace()
{
    setWindowTitle(QStringLiteral("About"));
    designed_[Button1].moveTopLeft(QPoint(64, 264));
    setOuterSize(kAboutOuterSize);
    for (QLabel *text : staticTexts())
        text->show();
    Memo1->hide();
    Image1->show();
}

void TForm5::setOuterSize(QSize outer)
{
    setFixedSize(outer - kNominalFrame);
    for (auto child = designed_.cbegin(); child != designed_.cend(); ++child)
        PlaceChild(child.key(), child.value());
}

// A text's place grows to the size its text needs (see KeepWholeText).
QLabel *TForm5::staticText(const QString &text, const QRect &designed)
{
    auto *label = new QLabel(text, this);
    place(label, QRect(designed.topLeft(), designed.size().expandedTo(label->sizeHint())));
    return label;
}

void TForm5::place(QWidget *child, const QRect &designed)
{
    designed_.insert(child, designed);
    PlaceChild(child, designed);
}

void TForm5::centreOnScreen()
{
    const QScreen *screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame(QPoint(), size() + kNominalFrame);
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

QList<QLabel *> TForm5::staticTexts() const
{
    return {StaticText1, StaticText2, StaticText3, StaticText4, StaticText5, StaticText6};
}
