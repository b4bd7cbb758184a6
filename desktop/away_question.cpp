#include "away_question.h"

#include "prompts.h"

#include <QApplication>
#include <QPushButton>
#include <QWindow>

AwayQuestion *AwayQuestion::Ask(const AwaySpan &span, AwayWatch &watch, Prompts &prompts, QWidget *parent)
{
    // One that is hidden has been answered or closed and is about to go.
    AwayQuestion *question = nullptr;
    for (AwayQuestion *open : parent->findChildren<AwayQuestion *>(Qt::FindDirectChildrenOnly))
        if (open->isVisible())
            question = open;
    if (!question)
        question = new AwayQuestion(watch, prompts, parent);
    question->spans_ << span;
    question->setText(AwayQuestionText(question->spans_));
    question->show();
    return question;
}

AwayQuestion::AwayQuestion(AwayWatch &watch, Prompts &prompts, QWidget *parent)
    : QMessageBox(QMessageBox::Question, QStringLiteral("Away"), QString(), QMessageBox::NoButton, parent),
      watch_(watch), prompts_(prompts)
{
    setWindowModality(Qt::NonModal);
    setAttribute(Qt::WA_DeleteOnClose);
    keep_ = addButton(QStringLiteral("Keep"), QMessageBox::AcceptRole);
    remove_ = addButton(QStringLiteral("Remove"), QMessageBox::DestructiveRole);
    setDefaultButton(keep_);
    setEscapeButton(keep_);
    connect(this, &QMessageBox::buttonClicked, this, &AwayQuestion::answer);
}

bool AwayQuestion::event(QEvent *event)
{
    // A modal dialog blocks every window but those it is the transient
    // parent of: the question becomes one of them, so that it can be
    // answered whatever dialog is open.
    if (event->type() == QEvent::WindowBlocked) {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal != this && windowHandle() && modal->windowHandle())
            windowHandle()->setTransientParent(modal->windowHandle());
    }
    return QMessageBox::event(event);
}

void AwayQuestion::answer(QAbstractButton *button)
{
    hide(); // from now on an absence that ends gets a question of its own
    if (button != remove_)
        return;
    RunGuarded(prompts_, [this] {
        const QList<AwayRemoval> removals = watch_.RemoveAwayMinutes(spans_);
        QStringList shortfalls;
        for (qsizetype i = 0; i < spans_.size(); ++i)
            shortfalls << AwayShortfallText(spans_.at(i), removals.at(i));
        shortfalls.removeAll(QString());
        if (!shortfalls.isEmpty())
            prompts_.Information(shortfalls.join(QLatin1Char('\n')));
    });
}
