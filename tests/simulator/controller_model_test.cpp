#include "simulator/controller_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using simulator::ControllerModel;

struct Exchange {
    const char* command;
    const char* reply;
};

void expectExchanges(ControllerModel& controller, const std::vector<Exchange>& exchanges) {
    for (const auto& e : exchanges)
        EXPECT_EQ(controller.execute(e.command), e.reply) << "command " << e.command;
}

TEST(ControllerModel, AnswersIdentityQueries) {
    ControllerModel controller({.model = "KT-210", .firmware = 231, .deviceId = "04"});
    expectExchanges(controller, {{"DN", "KTR04"}, {"VER", "V231"}, {"ID", "04"}, {"DB", "1"}});
    ControllerModel other({.model = "QB-450", .deviceId = "01", .baudRate = 57600});
    expectExchanges(other, {{"DN", "B4501"}, {"DB", "4"}});
    EXPECT_EQ(other.productText(), "B4501");
}

TEST(ControllerModel, SetCommandsAnswerOkAndReadBack) {
    ControllerModel controller({.firmware = 230});
    expectExchanges(
        controller,
        {
            {"HSPD=5000", "OK"},    {"HSPD", "5000"},    {"LSPD=100", "OK"}, {"LSPD", "100"},
            {"ACC=250", "OK"},      {"ACC", "250"},      {"DEC=125", "OK"},  {"DEC", "125"},
            {"POL=16114", "OK"},    {"POL", "16114"},    {"SLOAD=3", "OK"},  {"SLOAD", "3"},
            {"SLR=2.5", "OK"},      {"SLR", "2.5"},      {"SLT=3", "OK"},    {"SLT", "3"},
            {"JV1=-20", "OK"},      {"JV1", "-20"},      {"EDIO=1", "OK"},   {"EDIO", "1"},
            {"SSPDM=7", "OK"},      {"SSPDM", "7"},      {"TOC=250", "OK"},  {"TOC", "250"},
            {"V37=-12", "OK"},      {"V37", "-12"},      {"V100=5", "OK"},   {"V100", "5"},
            {"SA12=ABC 1 2", "OK"}, {"SA12", "ABC 1 2"}, {"SA13", ""},       {"MPA2=5000", "OK"},
            {"MPA2", "5000"},       {"MP30=22", "OK"},   {"MP30", "22"},
        });
}

TEST(ControllerModel, RefusesUnknownCommandsAndBadValuesWithQuestionMarkAndCommand) {
    ControllerModel controller;
    expectExchanges(controller, {
                                    {"FOO", "?FOO"},
                                    {"", "?"},
                                    {"HSPD=abc", "?HSPD=abc"},
                                    {"HSPD=-1", "?HSPD=-1"},
                                    {"V0", "?V0"},
                                    {"V101=1", "?V101=1"},
                                    {"MP30=23", "?MP30=23"},
                                    {"MPG0", "?MPG0"},
                                    {"MP05", "?MP05"},
                                    {"MST=3", "?MST=3"},
                                    {"DN=QQQ05", "?DN=QQQ05"},
                                    {"DN=KTR00", "?DN=KTR00"},
                                    {"DB=6", "?DB=6"},
                                    {"DRVMS=1", "?DRVMS=1"},
                                    {"SA1785=X", "?SA1785=X"},
                                    {"X12abc", "?X12abc"},
                                    {"SR=7", "?SR=7"},
                                    {"HSPD=", "?HSPD="},
                                });
}

TEST(ControllerModel, VariableZeroExistsOnlyOnModelsWhoseProgramsNumberVariablesFromZero) {
    const std::pair<const char*, bool> models[] = {{"QB-450", true},  {"QB-420", true},
                                                   {"QW-330", true},  {"KT-210", false},
                                                   {"KT-230", false}, {"QW-310", false}};
    for (const auto& [model, hasZero] : models) {
        ControllerModel controller({.model = model});
        if (hasZero)
            expectExchanges(controller, {{"V0=-9", "OK"}, {"V0", "-9"}, {"V1", "0"}});
        else
            expectExchanges(controller, {{"V0=-9", "?V0=-9"}, {"V0", "?V0"}, {"V1", "0"}});
    }
}

TEST(ControllerModel, FirmwareBelowAFeatureRefusesItsCommands) {
    ControllerModel old({.firmware = 221});
    expectExchanges(old, {{"DEC=5", "?DEC=5"},
                          {"DEC", "?DEC"},
                          {"TOC", "?TOC"},
                          {"EOBOOT", "?EOBOOT"},
                          {"HL+", "?HL+"},
                          {"T100", "?T100"},
                          {"HSPD", "1000"}});
    ControllerModel recent({.firmware = 230});
    expectExchanges(recent, {{"DEC", "300"}, {"TOC", "0"}, {"EOBOOT", "0"}, {"HL+", "OK"}});
}

TEST(ControllerModel, ReplyIdPrefixFollowsRt) {
    ControllerModel controller({.deviceId = "07"});
    expectExchanges(controller, {{"RT=1", "#07OK"},
                                 {"PX", "#070"},
                                 {"BAD", "#07?BAD"},
                                 {"SA0", "#07"},
                                 {"RT=0", "OK"},
                                 {"PX", "0"}});
}

TEST(ControllerModel, OutputWriteWhileDioControlIsOnIsRefused) {
    ControllerModel controller;
    expectExchanges(controller, {{"DO1=1", "OK"},
                                 {"DO", "1"},
                                 {"DO2=1", "OK"},
                                 {"DO", "3"},
                                 {"EDIO=1", "OK"},
                                 {"DO1=0", "?DIO enabled"},
                                 {"DO", "3"},
                                 {"EDIO=0", "OK"},
                                 {"DO1=0", "OK"},
                                 {"DO", "2"}});
}

TEST(ControllerModel, ProgramThreadsRunPauseAndStop) {
    ControllerModel controller;
    for (const char* slot : {"SA0=PS0", "SA1=DD5000", "SA2=XX", "SA3=PS1", "SA4=DD5000", "SA5=XX"})
        ASSERT_TRUE(controller.setState(slot));
    expectExchanges(controller, {
                                    {"SASTAT", "0"},
                                    {"SR=1", "OK"},
                                    {"SASTAT", "1"},
                                    {"SASTAT0", "1"},
                                    {"SASTAT1", "0"},
                                    {"SR=2", "OK"},
                                    {"SASTAT", "2"},
                                    {"SR=3", "OK"},
                                    {"SASTAT", "1"},
                                    {"SR1=1", "OK"},
                                    {"SASTAT1", "1"},
                                    {"SR0=0", "OK"},
                                    {"SASTAT", "0"},
                                    {"SPC", "0"},
                                    {"SR1=2", "OK"},
                                    {"SASTAT1", "2"},
                                });
    ASSERT_TRUE(controller.setState("SASTAT1=4"));
    ASSERT_TRUE(controller.setState("SPC1=17"));
    expectExchanges(controller, {{"SASTAT1", "4"}, {"SPC1", "17"}});
}

TEST(ControllerModel, DriverTransferNeedsClosedLoopDioAndJoystickOff) {
    ControllerModel controller;
    expectExchanges(controller, {
                                    {"DRVMS=64", "OK"},
                                    {"RW", "OK"},
                                    {"R4", "1"},
                                    {"DRVMS=8", "OK"},
                                    {"RR", "OK"},
                                    {"R2", "1"},
                                    {"DRVMS", "64"},
                                    {"SL=1", "OK"},
                                    {"RW", "OK"},
                                    {"R4", "0"},
                                    {"SL=0", "OK"},
                                    {"JO", "OK"},
                                    {"JS", "1"},
                                    {"RR", "OK"},
                                    {"R2", "0"},
                                    {"JF", "OK"},
                                    {"JS", "0"},
                                });
}

TEST(ControllerModel, StoredSettingsSurviveAPowerCycleAndUnstoredOnesDoNot) {
    ControllerModel controller({.deviceId = "05", .baudRate = 9600});
    expectExchanges(controller, {{"HSPD=4000", "OK"},
                                 {"DN=KTR07", "OK"},
                                 {"DB=3", "OK"},
                                 {"V60=9", "OK"},
                                 {"V2=9", "OK"},
                                 {"DN", "KTR07"}});
    EXPECT_EQ(controller.deviceId(), "05"); // the new ID waits for store and power cycle
    controller.powerCycle();
    EXPECT_EQ(controller.deviceId(), "05");
    expectExchanges(controller, {{"HSPD", "1000"}, {"DN", "KTR05"}});

    expectExchanges(controller, {{"HSPD=4000", "OK"},
                                 {"DN=KTR07", "OK"},
                                 {"DB=3", "OK"},
                                 {"V60=9", "OK"},
                                 {"V2=9", "OK"},
                                 {"STORE", "OK"}});
    controller.powerCycle();
    EXPECT_EQ(controller.deviceId(), "07");
    EXPECT_EQ(controller.baudRate(), 38400);
    expectExchanges(controller, {{"HSPD", "4000"}, {"V60", "9"}, {"V2", "0"}});
}

TEST(ControllerModel, LatchCapturesPositionWhenItsInputFires) {
    ControllerModel controller;
    expectExchanges(controller, {{"LTS", "0"}, {"PX=250", "OK"}, {"LT=1", "OK"}, {"LTS", "1"}});
    ASSERT_TRUE(controller.setState("LATCHIN=1"));
    expectExchanges(controller, {{"LTS", "2"}, {"LTP", "250"}, {"LT=0", "OK"}, {"LTS", "0"}});
}

TEST(ControllerModel, CommandLogKeepsEveryCommandInOrder) {
    ControllerModel controller;
    controller.execute("HSPD=1000");
    controller.execute("J+");
    controller.value("PX"); // a test's own look does not count
    controller.execute("nonsense");
    EXPECT_EQ(controller.commandLog(), (std::vector<std::string>{"HSPD=1000", "J+", "nonsense"}));
}

TEST(ControllerModel, StartStateSetsReadOnlyValues) {
    ControllerModel controller;
    for (const char* assignment : {"DI=5", "AI1=512", "AI2=7", "PX=-300", "LIMIT+=1", "HOMEIN=1"})
        EXPECT_TRUE(controller.setState(assignment)) << assignment;
    expectExchanges(controller,
                    {{"DI", "5"}, {"AI1", "512"}, {"AI2", "7"}, {"PX", "-300"}, {"MST", "40"}});
    EXPECT_FALSE(controller.setState("NOPE=1"));
    EXPECT_FALSE(controller.setState("DI"));
}

} // namespace
