// Device lines ("&<code>$<operand>") per model group: packed selectors and values, the X forms
// of the single-axis models, codes a model repeats, and the device quantities of operand lines.

#include "progsmith/compiler/decompiler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace progsmith;

namespace {

struct Case {
    const char* line;
    const char* text; // "" when the line stands for no text
};

void expectEach(const char* model, std::initializer_list<Case> cases) {
    const Decompiler decompiler(findModel(model));
    for (const auto& c : cases) {
        const std::string expected = *c.text ? std::string(c.text) + "\r\n" : std::string();
        EXPECT_EQ(decompiler.DecompileProgram({c.line}), expected) << model << " " << c.line;
    }
}

void expectOperands(const char* model, std::initializer_list<Case> cases) {
    const Decompiler decompiler(findModel(model));
    for (const auto& c : cases)
        EXPECT_EQ(decompiler.DecompileProgram({c.line, "VR1", "AM"}),
                  "V1=" + std::string(c.text) + "\r\n")
            << model << " " << c.line;
}

} // namespace

TEST(DecompileInstructions, PlainOperandsAreCopiedAsTheyStand) {
    expectEach("QW-320", {{"&84$1000", "HSPD=1000"},
                          {"&85$5", "HSPD=V5"},
                          {"&84", "HSPD="},
                          {"&84$12abc", "HSPD=12abc"},
                          {"&084$5", ""},
                          {"&$5", ""},
                          {"&179$-7", "X-7"},
                          {"&180$3", "XV3"},
                          {"&90$3", "DRVIT=3"}});
}

TEST(DecompileInstructions, FourAxisModelsUnpackAxisAndWholeValue) {
    expectEach("QB-450", {{"&91$257", "LTY=1"},        {"&91$259", "LTU=1"},
                          {"&91$-256", "LTX=-1"},      {"&131$256001", "SSPDMY=1000"},
                          {"&132$1280", "SSPDMX=V5"},  {"&134$2", "SYNONZ"},
                          {"&249$1281", "SYNCFGY=5"},  {"&252$-1279", "SYNPOSY=-5"},
                          {"&253$1794", "SYNPOSZ=V7"}, {"&31$25603", "SYNTIMEU=100"},
                          {"&13$513", "SLY=2"},        {"&58$257", "SR1=1"},
                          {"&6$128001", "JOYHSY=500"}, {"&166$513", "SCVY=2"},
                          {"&42$257", "DO1=1"},        {"&64$1283", "EO3=V5"},
                          {"&15$2", "ECLEARZ"},        {"&8$255", "STOP"},
                          {"&8$1", "STOPY"},           {"&0$255", "ABORT"}});
}

TEST(DecompileInstructions, TwoAxisModelsCountSlSelectorsFromOne) {
    expectEach("QB-410", {{"&251$513", "SLX=2"},
                          {"&251$770", "SLY=3"},
                          {"&251$512", "SL0=2"},
                          {"&131$1281", "SSPDMY=5"},
                          {"&6$257", "JOYHSY=1"}});
}

TEST(DecompileInstructions, JogDirectionIsPackedOnEveryMultiAxisModel) {
    for (const char* model : {"QB-450", "QB-430", "QB-420"})
        expectEach(model, {{"&119$256", "JOGX+"}, {"&119$1", "JOGY-"}, {"&119$257", "JOGY+"}});
    expectEach("KT-220", {{"&119$0", "JOGX+"}, {"&123$0", "JOGX-"}});
}

TEST(DecompileInstructions, SingleAxisModelsWriteTheXFormWithThePlainOperand) {
    expectEach("KT-210", {{"&140$259", "LTX=259"},
                          {"&230$0", "SYNONX"},
                          {"&233$5", "SYNCFGX=5"},
                          {"&237$3", "SYNPOSX=V3"},
                          {"&251$100", "SYNTIMEX=100"},
                          {"&248$2", "SSPDMX=V2"},
                          {"&9$5", "SLX=5"},
                          {"&213$1", "JOYENA=1"},
                          {"&214$1", "JOYENA=1"},
                          {"&215$500", "JOYHSX=500"},
                          {"&166$5", "SCVX=5"},
                          {"&172$255", "STOP"},
                          {"&172$0", "STOPX"},
                          {"&14$257", "SR1=1"}});
}

TEST(DecompileInstructions, EarlierComparisonWinsWhereAModelRepeatsACode) {
    expectEach("KT-230", {{"&62$5", "CPAR1=5"}, {"&63$258", "CPAR2=258"}, {"&255$9", "KPAR4=9"}});
    // So a read of EO2 on this model also shows up as a statement of its own.
    const Decompiler kt230(findModel("KT-230"));
    EXPECT_EQ(kt230.DecompileProgram({"&62$2", "VR1", "AM"}), "CPAR1=2\r\nV1=EO2\r\n");
}

TEST(DecompileInstructions, ReadCodesTargetsAndOtherModelsCodesAloneGiveNoText) {
    expectEach("QB-450", {{"&176$0", ""}, {"&103$1000", ""}, {"&112$5", ""}});
    expectEach("KT-210", {{"&91$257", ""}, {"&107$3", ""}, {"&118$1", ""}});
    EXPECT_EQ(DecompileProgram("KT-999", {"&84$1000", "CV1", "VR1", "AM"}), "V1=1\r\n");
}

TEST(DecompileInstructions, EveryCodeOfEveryModelHasAText) {
    for (const ModelInfo& model : allModels()) {
        const Decompiler decompiler(&model);
        for (size_t f = 0; f < kFormCount; ++f) {
            const Form form = static_cast<Form>(f);
            const int code = codeOf(&model, form);
            const FormKind kind = formInfo(form).kind;
            if (code < 0 || kind == FormKind::Target || kind == FormKind::TargetVar) continue;
            const std::string line = "&" + std::to_string(code) + "$1";
            if (kind == FormKind::Read)
                EXPECT_NE(decompiler.DecodeOperand(line), "") << model.name << " " << line;
            else
                EXPECT_NE(decompiler.DecompileProgram({"CV1", "CV1", "CV1", line}), "")
                    << model.name << " " << line;
        }
    }
}

TEST(DecompileInstructions, CoordinatedMovesJoinTheirTargetLinesInProgramOrder) {
    const Decompiler qb450(findModel("QB-450"));
    EXPECT_EQ(qb450.DecompileProgram({"&103$1000", "&109$2", "&107$3"}), "X1000YV2\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&105$-5", "&103$7", "&107$5"}), "Z-5X7\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&103$1", "&107$0"}), "");
    EXPECT_EQ(qb450.DecompileProgram({"CV1", "&107$1"}), "??\r\n");
}

TEST(DecompileInstructions, ArcsAndCirclesTakeTheirValuesFromTheLinesBefore) {
    const Decompiler qb440(findModel("QB-440"));
    EXPECT_EQ(qb440.DecompileProgram({"&112$100", "&115$2", "&116$-50", "&118$1"}),
              "ARCP100:V2:-50\r\n");
    EXPECT_EQ(qb440.DecompileProgram({"VR1", "&113$20", "&130$0"}), "CIRN?:20\r\n");
}

TEST(DecompileInstructions, DeviceQuantitiesInOperandLines) {
    expectOperands("QB-450", {{"&33$3", "DO3"},
                              {"&238$1", "AI1"},
                              {"&12$2", "SYNSTATZ"},
                              {"&146$1", "MSTY"},
                              {"&16$1", "SLSY"},
                              {"&94$7", "LTP7"},
                              {"&62$4", "EO4"},
                              {"&999$0", ""},
                              {"VR7", "V7"},
                              {"CV-12", "-12"},
                              {"JR3", ""}});
    expectOperands("KT-210", {{"&238$1", "SYNSTATX"}, {"&254$0", "RWSTAT"}, {"&144$2", "LTSZ"}});
    expectOperands("QB-430", {{"&254$3", "MIOU"}, {"&4$0", "DN"}});
}

TEST(DecompileInstructions, SyncConfigurationAndTimeReadsAreNamedLikeTheOtherAxisReads) {
    expectOperands("QB-450", {{"&251$1", "SYNCFGY"}, {"&49$2", "SYNTIMEZ"}});
    expectOperands("KT-210", {{"&232$0", "SYNCFGX"}, {"&250$0", "SYNTIMEX"}});
}
