#pragma once
// The controls of "LMC-7 Setup", built into their frames with Qt layouts. Every control the
// program addresses carries its name as objectName; a caption that belongs to a control names
// it as its buddy, so disabling the control can grey its caption too. The lists start empty:
// the window fills them as it loads.

#include <vector>

class QButtonGroup;
class QWidget;

namespace setup {

struct SetupWindowLayout {
    // One exclusive group per polarity choice and one for the encoder.
    std::vector<QButtonGroup*> choiceGroups;
};

SetupWindowLayout buildSetupWindowLayout(QWidget* window);

} // namespace setup
