#pragma once

#include <QDialog>
#include <QHash>
#include <QRect>

struct DialogModes;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The information window: the help text (DialogModes::InfoMode 1) or the
// about box (InfoMode 2). The face is chosen anew from InfoMode each time the
// window is shown; nothing in it changes any data.
class TForm5 : public QDialog {
    Q_OBJECT
public:
    explicit TForm5(DialogModes &modes, QWidget *parent = nullptr);

    // Lays the window out for the face that InfoMode names, and centres it on
    // the screen. Runs on every showing, before the window appears.
    void FormActivate();
    // Runs whenever the window closes: hides the logo.
    void FormClose();
    // "Close".
    void Button1Click();

    // Showing runs FormActivate first; hiding, however it comes about (Close,
    // Esc, the close box), runs FormClose.
    void setVisible(bool visible) override;

    QPlainTextEdit *Memo1;
    QLabel *StaticText1; // program name
    QLabel *StaticText2; // credit line
    QLabel *StaticText3; // "Email:"
    QLabel *StaticText4; // mail address
    QLabel *StaticText5; // year
    QLabel *StaticText6; // web address
    QLabel *Image1;      // logo
    QPushButton *Button1;

private:
    void showHelpFace();
    void showAboutFace();
    // Sets the face's size, then places every child: its designed place, or
    // that place mirrored right to left (which needs the face's width).
    void setOuterSize(QSize outer);
    void place(QWidget *child, const QRect &designed);
    QLabel *staticText(const QString &text, const QRect &designed);
    void centreOnScreen();
    QList<QLabel *> staticTexts() const;

    DialogModes &modes_;
    QHash<QWidget *, QRect> designed_; // each child's place, from the left
};
