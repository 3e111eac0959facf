#pragma once
// One poll cycle as the plot and its recording take it: the numbers the main window shows.

#include "motiondesk/main/main_panel.h"
#include "motiondesk/plot/plot_columns.h"

namespace mainwindow {

// A display that holds no number (nothing read yet) counts as 0.
plot::Sample plotSample(const MainPanel& panel, long long ms);

} // namespace mainwindow
