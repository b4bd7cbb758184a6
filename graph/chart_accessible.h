#pragma once

// Screen readers meet the bar chart as a chart named by its title, whose
// description reads each bar's label and its mark as the marks show it.
// Installs the accessibility factory for BarChartView; safe to call often.
void InstallChartAccessibility();
