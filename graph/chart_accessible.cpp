#include "chart_accessible.h"

#include "bar_chart_view.h"

#include <QAccessibleWidget>

namespace {

class ChartAccessible : public QAccessibleWidget {
public:
    explicit ChartAccessible(BarChartView *chart) : QAccessibleWidget(chart, QAccessible::Chart) {}

    QString text(QAccessible::Text kind) const override
    {
        const auto *chart = static_cast<const BarChartView *>(widget());
        if (kind == QAccessible::Name)
            return chart->titleLines().join(QLatin1Char(' '));
        if (kind == QAccessible::Description)
            return chart->barsDescription();
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface *chartFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("BarChartView") && object && object->isWidgetType())
        return new ChartAccessible(static_cast<BarChartView *>(object));
    return nullptr;
}

} // namespace

void InstallChartAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(chartFactory);
        return true;
    }();
    Q_UNUSED(installed);
}
