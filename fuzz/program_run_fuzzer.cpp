// Any bytes as the contents of the program slots of a simulated controller: the first byte picks
// the model, the rest is split into slots at line ends. Both threads are started and the clock
// runs on in jumps; a crash, a hang, a state other than 0, 1, 2 or 4, or a controller that stops
// answering is a find.

#include "common/textfile.h"
#include "simulator/controller_model.h"

#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const auto* models = simulator::modelsBegin();
    const size_t count = size_t(simulator::modelsEnd() - models);
    int64_t now = 0;
    simulator::ControllerModel controller({.model = std::string(models[data[0] % count].code)});
    controller.setTimeSource([&] { return now; });
    const std::vector<std::string> lines =
        common::splitLines(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    for (size_t i = 0; i < lines.size() && i < 1785; ++i)
        controller.setState("SA" + std::to_string(i) + "=" + lines[i]);
    controller.execute("SR0=1");
    controller.execute("SR1=1");
    for (int64_t step : {1'000, 50'000, 10'000'000}) {
        now += step;
        controller.advance();
    }
    const char* violation = nullptr;
    for (const char* query : {"SASTAT0", "SASTAT1"}) {
        const std::string state = controller.execute(query);
        if (state != "0" && state != "1" && state != "2" && state != "4")
            violation = "a thread state outside 0, 1, 2, 4";
    }
    if (controller.execute("VER").empty()) violation = "the controller stopped answering";
    if (violation) {
        std::fprintf(stderr, "%s\n", violation);
        std::abort();
    }
    return 0;
}
