#pragma once

#include "away_watch.h"

#include <QMessageBox>

class Prompts;

// The question about one absence, in a window that is not modal, so the
// minute tick and the main window go on while it waits. "Keep" is the
// default and also the answer of Esc and the close box; "Remove" takes the
// minutes back through the away watch. Deletes itself once answered.
class AwayQuestion : public QMessageBox {
    Q_OBJECT
public:
    AwayQuestion(const AwaySpan &span, AwayWatch &watch, Prompts &prompts, QWidget *parent);

    QPushButton *keepButton() const { return keep_; }
    QPushButton *removeButton() const { return remove_; }

private:
    void answer(QAbstractButton *button);

    AwaySpan span_;
    AwayWatch &watch_;
    Prompts &prompts_;
    QPushButton *keep_;
    QPushButton *remove_;
};
