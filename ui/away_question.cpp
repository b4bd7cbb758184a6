#include "away_question.h"

#include "prompts.h"

#include <QPushButton>

AwayQuestion::AwayQuestion(const AwaySpan &span, AwayWatch &watch, Prompts &prompts, QWidget *parent)
    : QMessageBox(QMessageBox::Question, QStringLiteral("Away"), AwayQuestionText(span), QMessageBox::NoButton,
                  parent),
      span_(span), watch_(watch), prompts_(prompts)
{
    setWindowModality(Qt::NonModal);
    setAttribute(Qt::WA_DeleteOnClose);
    keep_ = addButton(QStringLiteral("Keep"), QMessageBox::AcceptRole);
    remove_ = addButton(QStringLiteral("Remove"), QMessageBox::DestructiveRole);
    setDefaultButton(keep_);
    setEscapeButton(keep_);
    connect(this, &QMessageBox::buttonClicked, this, &AwayQuestion::answer);
}

void AwayQuestion::answer(QAbstractButton *button)
{
    if (button != remove_)
        return;
    RunGuarded(prompts_, [this] {
        if (watch_.RemoveAwayMinutes(span_) == 0)
            prompts_.Information(QStringLiteral("No minutes were removed: the day of the absence is over, "
                                                "or the item has changed since."));
    });
}
