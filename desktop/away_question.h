#pragma once

#include "away_watch.h"

#include <QMessageBox>

class Prompts;

// The question about the absences not yet answered, in a window that is not
// modal, so the minute tick and the main window go on while it waits. One
// question at a time: an absence that ends while it waits joins it. "Keep"
// is the default and also the answer of Esc and the close box; "Remove"
// takes the minutes back through the away watch, each absence's only on
// its own day. Deletes itself once answered.
class AwayQuestion : public QMessageBox {
    Q_OBJECT
public:
    // Puts the span to the user: in the question of the parent that waits
    // unanswered, or in a new one.
    static AwayQuestion *Ask(const AwaySpan &span, AwayWatch &watch, Prompts &prompts, QWidget *parent);

    QPushButton *keepButton() const { return keep_; }
    QPushButton *removeButton() const { return remove_; }

protected:
    bool event(QEvent *event) override;

private:
    AwayQuestion(AwayWatch &watch, Prompts &prompts, QWidget *parent);
    void answer(QAbstractButton *button);

    QList<AwaySpan> spans_;
    AwayWatch &watch_;
    Prompts &prompts_;
    QPushButton *keep_;
    QPushButton *remove_;
};
