#include "motiondesk/main/plot_sample.h"

#include "controller/status_decoding.h"

namespace mainwindow {

namespace {

double number(const std::string& text) {
    const auto value = controller::replyNumber(text);
    return value ? double(*value) : 0.0;
}

// The program state as SASTAT gives it.
double programState(const std::string& text) {
    for (int state : {0, 1, 2, 4})
        if (controller::programStatusText(state) == text) return state;
    return -1;
}

} // namespace

plot::Sample plotSample(const MainPanel& panel, long long ms) {
    plot::Sample sample;
    sample.ms = ms;
    const auto set = [&sample](const char* column, double value) {
        sample.values[plot::columnIndex(column)] = value;
    };
    set("position", number(panel.Pos));
    set("encoder", number(panel.Enc));
    set("delta", number(panel.delta));
    set("speed", number(panel.Speed));
    set("analog_in1", number(panel.AI1));
    set("analog_in2", number(panel.AI2));
    set("program_line", number(panel.ProgIndex));
    set("limit_plus", panel.PosLim);
    set("limit_minus", panel.NegLim);
    set("home", panel.Home);
    set("z_index", panel.ZIndex);
    set("latch_input", panel.LatchIn);
    set("in1", panel.In1);
    set("in2", panel.In2);
    set("in3", panel.In3);
    set("in4", panel.In4);
    set("out1", panel.InPosDO);
    set("out2", panel.AlarmDO);
    set("moving", panel.Stat == "CONST" || panel.Stat == "ACCEL" || panel.Stat == "DECEL");
    set("program_state", programState(panel.ProgStatus));
    set("start_in", panel.StartDI);
    set("abort_in", panel.AbortDI);
    set("s_curve", panel.Scv);
    set("driver_enable", panel.EnableStat);
    set("latch_position", number(panel.LatchPos));
    set("latch_encoder", number(panel.LatchEnc));
    return sample;
}

} // namespace mainwindow
