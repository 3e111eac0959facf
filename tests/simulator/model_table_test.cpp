// The simulator's own list of models is written independently of the suite's table of
// controller models; the two must describe the same controllers.

#include "common/controller_models.h"
#include "simulator/model_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string_view>

TEST(SimulatorModels, AgreeWithTheSuitesTableOfControllerModels) {
    std::set<std::string_view> simulated;
    for (const simulator::ModelInfo* model = simulator::modelsBegin();
         model != simulator::modelsEnd(); ++model) {
        SCOPED_TRACE(std::string(model->code));
        simulated.insert(model->code);
        const common::ControllerModel* known = common::findControllerModel(model->code);
        ASSERT_NE(known, nullptr);
        EXPECT_EQ(model->lineLimit, known->slotCount);
        // Models the loader cannot find by USB may still carry a key in the simulator.
        if (known->foundOverUsb()) EXPECT_EQ(model->productKey, known->usbKey);
    }
    EXPECT_EQ(simulated.size(), std::size(common::kControllerModels));
}
