// Device instruction lines ("&<code>$<operand>") for each model group: the model's codes, the
// packed selectors and values, and the X forms of the single-axis models.

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

} // namespace

TEST(DecompileInstructions, ParametersTakeTheOperandAsItStands) {
    for (const char* model : {"QB-450", "QB-420", "KT-210", "KT-220", "QW-320"}) {
        expectEach(model, {{"&84$1000", "HSPD=1000"},
                           {"&85$5", "HSPD=V5"},
                           {"&128$-3", "LSPD=-3"},
                           {"&2$100", "ACC=100"},
                           {"&3$2", "ACC=V2"},
                           {"&84$", "HSPD="},
                           {"&84", "HSPD="},
                           {"&84$12abc", "HSPD=12abc"},
                           {"&084$5", ""},
                           {"&$5", ""}});
    }
}

TEST(DecompileInstructions, FourAxisModelsUnpackAxisAndValue) {
    expectEach("QB-450", {
                             {"&10$500", "HSPDX=500"},       {"&26$500", "HSPDY=500"},
                             {"&27$7", "HSPDY=V7"},          {"&168$100", "SSPDX=100"},
                             {"&243$3", "SSPDY=V3"},         {"&91$257", "LTY=1"},
                             {"&91$259", "LTU=1"},           {"&91$-256", "LTX=-1"},
                             {"&134$2", "SYNONZ"},           {"&136$0", "SYNOFFX"},
                             {"&249$1281", "SYNCFGY=5"},     {"&250$1282", "SYNCFGZ=V5"},
                             {"&252$-1279", "SYNPOSY=-5"},   {"&253$1794", "SYNPOSZ=V7"},
                             {"&31$25603", "SYNTIMEU=100"},  {"&40$513", "SYNTIMEY=V2"},
                             {"&131$256001", "SSPDMY=1000"}, {"&132$1280", "SSPDMX=V5"},
                             {"&13$513", "SLY=2"},           {"&58$257", "SR1=1"},
                             {"&6$128001", "JOYHSY=500"},    {"&7$1282", "JOYHSZ=V5"},
                             {"&166$513", "SCVY=2"},         {"&4$1", "JOYENA=1"},
                             {"&5$2", "JOYENA=V2"},          {"&15$2", "ECLEARZ"},
                         });
}

TEST(DecompileInstructions, StopAndAbortCarryAllAxesOrOneAxis) {
    for (const char* model : {"QB-450", "QB-430", "QB-420"}) {
        expectEach(model, {{"&8$255", "STOP"},
                           {"&8$1", "STOPY"},
                           {"&8$3", "STOPU"},
                           {"&0$255", "ABORT"},
                           {"&0$0", "ABORTX"}});
    }
    expectEach("KT-210", {{"&172$255", "STOP"}, {"&172$0", "STOPX"}, {"&0$255", "ABORT"}});
}

TEST(DecompileInstructions, JogDirectionIsPackedOnEveryMultiAxisModel) {
    for (const char* model : {"QB-450", "QB-440", "QB-430", "QB-420", "QB-410"}) {
        expectEach(model, {{"&119$256", "JOGX+"},
                           {"&119$1", "JOGY-"},
                           {"&119$257", "JOGY+"},
                           {"&119$0", "JOGX-"}});
    }
    for (const char* model : {"KT-210", "KT-220", "QW-330"})
        expectEach(model, {{"&119$0", "JOGX+"}, {"&123$0", "JOGX-"}});
}

TEST(DecompileInstructions, TwoAxisModelsCountSlSelectorsFromOne) {
    for (const char* model : {"QB-420", "QB-410"}) {
        expectEach(model, {{"&251$513", "SLX=2"},
                           {"&251$770", "SLY=3"},
                           {"&251$512", "SL0=2"},
                           {"&131$1281", "SSPDMY=5"},
                           {"&6$257", "JOYHSY=1"},
                           {"&69$100", "DEC=100"},
                           {"&78$5", "DECX=5"},
                           {"&53$10", "TPE=10"},
                           {"&28$256", "SR0=1"}});
    }
    expectEach("QB-450", {{"&13$512", "SLX=2"}});
}

TEST(DecompileInstructions, SingleAxisModelsWriteTheXFormWithThePlainOperand) {
    expectEach("KT-210", {
                             {"&140$259", "LTX=259"},  {"&230$0", "SYNONX"},
                             {"&231$0", "SYNOFFX"},    {"&233$5", "SYNCFGX=5"},
                             {"&234$5", "SYNCFGX=V5"}, {"&236$-5", "SYNPOSX=-5"},
                             {"&237$3", "SYNPOSX=V3"}, {"&251$100", "SYNTIMEX=100"},
                             {"&249$7", "SSPDMX=7"},   {"&248$2", "SSPDMX=V2"},
                             {"&9$5", "SLX=5"},        {"&213$1", "JOYENA=1"},
                             {"&214$1", "JOYENA=1"},   {"&215$500", "JOYHSX=500"},
                             {"&166$5", "SCVX=5"},     {"&167$5", "SCVX=V5"},
                             {"&5$3", "DRVMS=3"},      {"&10$1", "EDIO=1"},
                             {"&17$5", "TOC=5"},       {"&35$100", "DEC=100"},
                             {"&14$257", "SR1=1"},     {"&20$3", "DN=3"},
                             {"&253$0", "RW"},         {"&4$0", "STORE"},
                             {"&125$0", "LHOMEX+"},    {"&101$0", "HLHOMEX-"},
                             {"&15$0", "ECLEARX"},
                         });
    expectEach("QW-340", {{"&5$5", "SCVX=5"}, {"&12$9", "DEC=9"}, {"&10$1", "SLX=1"}});
    expectEach("QW-320", {{"&90$3", "DRVIT=3"}, {"&91$3", "DRVIT=V3"}, {"&10$5", "TOC=5"}});
}

TEST(DecompileInstructions, EarlierComparisonWinsWhereAModelRepeatsACode) {
    expectEach("KT-230", {{"&62$5", "CPAR1=5"},
                          {"&63$258", "CPAR2=258"},
                          {"&64$1", "CPAR3=1"},
                          {"&4$7", "APAR1=7"},
                          {"&255$9", "KPAR4=9"},
                          {"&11$2", "BDT=2"},
                          {"&14$1", "EDIO=1"}});
    // So the read of EO2 on this model also shows up as a statement of its own.
    const Decompiler kt230(findModel("KT-230"));
    EXPECT_EQ(kt230.DecodeOperand("&62$2"), "EO2");
    EXPECT_EQ(kt230.DecompileProgram({"&62$2", "VR1", "AM"}), "CPAR1=2\r\nV1=EO2\r\n");
}

TEST(DecompileInstructions, OutputsCarryTheBitAsSelector) {
    for (const char* model : {"QB-450", "KT-210"}) {
        expectEach(model, {{"&41$5", "DO=5"},
                           {"&42$257", "DO1=1"},
                           {"&50$3", "DO=V3"},
                           {"&51$770", "DO2=V3"},
                           {"&60$5", "EO=5"},
                           {"&63$258", "EO2=1"},
                           {"&61$4", "EO=V4"},
                           {"&64$1283", "EO3=V5"}});
    }
}

TEST(DecompileInstructions, MovesPositionsHomingAndCommands) {
    expectEach("QB-450", {{"&179$1000", "X1000"},
                          {"&180$3", "XV3"},
                          {"&184$-5", "Y-5"},
                          {"&195$2", "UV2"},
                          {"&177$100", "PX=100"},
                          {"&178$3", "PX=V3"},
                          {"&72$0", "EX=0"},
                          {"&95$0", "HOMEX+"},
                          {"&102$0", "HOMEU-"},
                          {"&204$0", "ZHOMEX+"},
                          {"&196$0", "ZOMEX+"},
                          {"&246$0", "ABS"},
                          {"&247$0", "INC"},
                          {"&255$0", "STORE"}});
    expectEach("QB-430", {{"&221$0", "LHOMEX+"}, {"&236$0", "HLHOMEU-"}, {"&7$5", "TOC=5"}});
}

TEST(DecompileInstructions, ReadCodesTargetLinesAndOtherModelsCodesAloneGiveNoText) {
    expectEach("QB-450", {{"&176$0", ""}, {"&103$1000", ""}, {"&112$5", ""}, {"&83$0", ""}});
    expectEach("KT-210", {{"&91$257", ""}, {"&107$3", ""}, {"&118$1", ""}});
    const Decompiler unknownModel(findModel("KT-999"));
    EXPECT_EQ(unknownModel.DecompileProgram({"&84$1000", "CV1", "VR1", "AM", "XX"}),
              "V1=1\r\nEND\r\n");
}

TEST(DecompileInstructions, CoordinatedMovesJoinTheirTargetLinesInProgramOrder) {
    const Decompiler qb450(findModel("QB-450"));
    EXPECT_EQ(qb450.DecompileProgram({"&103$1000", "&109$2", "&107$3"}), "X1000YV2\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&105$-5", "&103$7", "&107$5"}), "Z-5X7\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&103$1", "&104$2", "&110$3", "&106$4", "&107$15"}),
              "X1Y2ZV3U4\r\n");
    EXPECT_EQ(qb450.DecompileProgram({"&103$1", "&107$0"}), "");
    EXPECT_EQ(qb450.DecompileProgram({"CV1", "&107$1"}), "??\r\n");
    const Decompiler qb420(findModel("QB-420"));
    EXPECT_EQ(qb420.DecompileProgram({"&104$-500", "&107$2"}), "Y-500\r\n");
}

TEST(DecompileInstructions, ArcsAndCirclesTakeTheirValuesFromTheLinesBefore) {
    const Decompiler qb440(findModel("QB-440"));
    EXPECT_EQ(qb440.DecompileProgram({"&112$100", "&115$2", "&116$-50", "&118$1"}),
              "ARCP100:V2:-50\r\n");
    EXPECT_EQ(qb440.DecompileProgram({"&114$1", "&113$20", "&117$3", "&118$0"}),
              "ARCNV1:20:V3\r\n");
    EXPECT_EQ(qb440.DecompileProgram({"&112$10", "&113$20", "&130$1"}), "CIRP10:20\r\n");
    EXPECT_EQ(qb440.DecompileProgram({"VR1", "&113$20", "&130$0"}), "CIRN?:20\r\n");
}

TEST(DecompileInstructions, EveryCodeOfEveryModelHasAText) {
    for (const ModelInfo& model : allModels()) {
        const Decompiler decompiler(&model);
        for (size_t f = 0; f < kFormCount; ++f) {
            const Form form = static_cast<Form>(f);
            const int code = codeOf(&model, form);
            if (code < 0) continue;
            const std::string line = "&" + std::to_string(code) + "$1";
            const FormKind kind = formInfo(form).kind;
            if (kind == FormKind::Read)
                EXPECT_NE(decompiler.DecodeOperand(line), "") << model.name << " " << line;
            else if (kind != FormKind::Target && kind != FormKind::TargetVar)
                EXPECT_NE(decompiler.DecompileProgram({"CV1", "CV1", "CV1", line}), "")
                    << model.name << " " << line;
        }
    }
}
