#pragma once

#include <QDialog>

class GraphBuilder;
class Ledger;
class Prompts;

// "Choose date": chart one day of the history. exec() returns Accepted only
// after a successful OK, which has filled the graph builder's bar state.
class TForm4 : public QDialog {
    Q_OBJECT
public:
    TForm4(Ledger &ledger, GraphBuilder &graph, Prompts &prompts, QWidget *parent = nullptr);

private:
    Ledger &ledger_;
    GraphBuilder &graph_;
    Prompts &prompts_;
};
