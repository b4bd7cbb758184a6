#pragma once

#include "chart_layout.h"
#include "history_range.h"

#include <QObject>
#include <QStringList>
#include <QVector>

#include <optional>

class BarChartView;
class Ledger;
class OtherComputers;
struct ItemSums;

// The check marks of the "Graph" menu entries that choose a view.
struct GraphMenuMarks {
    bool Today1 = true;
    bool Value1 = true;
    bool Percentage1 = false;
    bool Total1 = false;
    bool Value2 = false;
    bool Percentage2 = false;
    bool ChooseDate1 = false;
    bool ChooseRange1 = false;

    bool operator==(const GraphMenuMarks &other) const;
};

// Everything that decides what the chart shows; kept so that a date view
// closed without a successful OK can put the previous view back.
struct GraphViewState {
    int GraphMode = 1;
    int BarCount = 0;
    QVector<qint32> BarValues;
    QStringList BarLabels;
    QString ChartTitleText;
    GraphMenuMarks Marks;
    DayRange ShownRange; // the days of views 5 to 9 (views 5 and 6 show one)
    // The day of views 5 and 6 as this computer's history holds it, to
    // which the other computers' minutes are added.
    struct ChosenDay {
        QDate date;
        QStringList labels;
        QVector<qint32> minutes;
        QString title;      // the date's text
        QString switchText; // "Switches : " and this computer's count as its log holds it, or empty
        std::optional<qint64> switches; // that count, when it is a whole number
    } ShownDay;
};

// Turns the ledger's item table, or one day of the history that the date
// view has put into the bar state, into the bars of the chart.
//
// Views (GraphMode): 1 today's minutes, 2 today's shares, 3 all days'
// minutes, 4 all days' shares, 5 a chosen day's minutes, 6 its shares,
// 7 a range of days' minutes per item, 8 their shares, 9 the range's
// minutes per day with each day's switches. Every save of the ledger
// redraws the chart unless a chosen day or range is shown.
class GraphBuilder : public QObject, public GraphViewState {
    Q_OBJECT
public:
    GraphBuilder(Ledger &ledger, BarChartView &chart, QObject *parent = nullptr);

    // Empties the chart and appends one bar per entry of the current view,
    // with the view's title, axis caption, marks style and label size.
    void DrawGraph();

    // The four view commands of the "Graph" menu.
    void Value1Click() { ShowLiveView(1); }
    void Percentage1Click() { ShowLiveView(2); }
    void Value2Click() { ShowLiveView(3); }
    void Percentage2Click() { ShowLiveView(4); }

    // Sets BarCount and resizes both bar arrays, keeping the entries that fit.
    void ResizeBars(int count);

    // Sets the marks and tells the menu to show them.
    void SetMarks(const GraphMenuMarks &marks);

    GraphViewState viewState() const;
    // Puts a kept view back; a live view is drawn at once, since saves made
    // meanwhile may not have redrawn it.
    void restoreViewState(const GraphViewState &state);

    bool showsChosenDay() const { return GraphMode == 5 || GraphMode == 6; }
    bool showsRange() const { return GraphMode >= 7 && GraphMode <= 9; }

    // Fills the bar state with a range of the history, for view 7 (minutes
    // per item), 8 (shares per item) or 9 (minutes per day), and sets the
    // menu marks; DrawGraph then draws it.
    void SetRangeView(const HistoryRange &range, int mode);

    // Other computers whose minutes every view adds to this computer's,
    // items matched by name: the bars of this computer's items first, in
    // item order, then those of items it does not have. The chart follows
    // their changes.
    void setOtherComputers(OtherComputers *others);
    // "This Computer Only": every view shows this computer's minutes alone.
    void setThisComputerOnly(bool only);
    bool thisComputerOnly() const { return thisComputerOnly_; }
    // How many computers the views count: 1 unless others are counted.
    int ComputersCounted() const;
    // The other computers that the views count, or null.
    const OtherComputers *countedOthers() const;

    // The history (this computer's as the ledger holds it, and the others')
    // summed over the range, for SetRangeView.
    HistoryRange ReadRange(const DayRange &range) const;

    // Fills the bar state with one day for view 5 (or 6 when GraphMode is
    // already 6): this computer's lines of the day (the date view's), the
    // other computers' added by name, and the title: the date's text and
    // the day's switches over every computer counted.
    void SetDayView(const GraphViewState::ChosenDay &day);

    // The Days view shows as many days at once as leave their marks room
    // beside each other on the chart, and at least a week; longer ranges
    // scroll.
    static constexpr int FewestDaysInView = 7;

    // Whole-percent share of each value in their sum, rounded half to even.
    // The sum carries an offset of 0.000001, so all-zero values give shares
    // of 0. A sum of zero or less with non-zero values has no meaningful
    // shares: they are all 0. Shares beyond the 32-bit range are clamped.
    static QVector<qint32> Shares(const QVector<qint32> &values);

    // Point size of the bottom-axis labels for a number of bars.
    static int LabelFontSize(int barCount);

    // A correction changed the day's minutes: a chosen day or range that
    // holds it is read again from the history and drawn (the live views
    // follow the save). The bars of a chosen day keep their lines and title.
    void RedrawCorrectedDay(QDate date);

signals:
    void marksChanged();

private:
    void ShowLiveView(int mode);
    void fillFromItems(const QVector<qint32> &minutes, bool asShares, const ItemSums &others);
    bool showsFixedView() const { return showsChosenDay() || showsRange(); }
    QString rangeTitle(const HistoryRange &range) const;
    QString dayLabel(const RangeDay &day) const;
    void scrollDaysToEnd();
    void chartDay();
    QString titleWithComputers() const;

    Ledger &ledger_;
    BarChartView &chart_;
    OtherComputers *others_ = nullptr;
    bool thisComputerOnly_ = false;
};
