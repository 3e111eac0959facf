// Operand lines as the sources of assignments: variables, constants and device quantities.

#include "progsmith/compiler/decompiler.h"

#include <gtest/gtest.h>

#include <string>

using namespace progsmith;

namespace {

void expectOperands(const char* model,
                    std::initializer_list<std::pair<const char*, const char*>> cases) {
    const Decompiler decompiler(findModel(model));
    for (const auto& [line, text] : cases) {
        EXPECT_EQ(decompiler.DecodeOperand(line), text) << model << " " << line;
        EXPECT_EQ(decompiler.DecompileProgram({line, "VR1", "AM"}),
                  "V1=" + std::string(text) + "\r\n")
            << model << " " << line;
    }
}

} // namespace

TEST(DecompileOperands, VariablesAndConstantsAreCopied) {
    expectOperands("KT-210", {{"VR7", "V7"},
                              {"CV-12", "-12"},
                              {"CV", ""},
                              {"VR", "V"},
                              {"JR3", ""},
                              {"", ""},
                              {"vr1", ""}});
}

TEST(DecompileOperands, FourAxisDeviceQuantities) {
    expectOperands("QB-450", {{"&32$0", "DO"},       {"&33$3", "DO3"},   {"&23$0", "DI"},
                              {"&24$2", "DI2"},      {"&238$1", "AI1"},  {"&248$0", "TR"},
                              {"&12$2", "SYNSTATZ"}, {"&71$0", "EX"},    {"&74$0", "EY"},
                              {"&176$0", "PX"},      {"&191$0", "PU"},   {"&161$0", "PSX"},
                              {"&164$0", "PSU"},     {"&83$0", "HSPD"},  {"&127$0", "LSPD"},
                              {"&1$0", "ACC"},       {"&9$0", "HSPDX"},  {"&25$0", "HSPDY"},
                              {"&55$0", "ACCX"},     {"&145$0", "MSTX"}, {"&146$1", "MSTY"},
                              {"&16$1", "SLSY"},     {"&92$3", "LTSU"},  {"&93$0", "LTEX"},
                              {"&94$7", "LTP7"},     {"&59$0", "EO"},    {"&62$4", "EO4"},
                              {"&999$0", ""},        {"&083$0", ""}});
}

TEST(DecompileOperands, SyncConfigurationAndTimeAreNamedLikeTheOtherAxisReads) {
    expectOperands("QB-450", {{"&251$1", "SYNCFGY"}, {"&49$2", "SYNTIMEZ"}});
    expectOperands("KT-210", {{"&232$0", "SYNCFGX"}, {"&250$0", "SYNTIMEX"}});
}

TEST(DecompileOperands, SingleAxisAndOtherModelsQuantities) {
    expectOperands("KT-210", {{"&238$1", "SYNSTATX"},
                              {"&201$2", "AI2"},
                              {"&254$0", "RWSTAT"},
                              {"&22$0", "DN"},

                              {"&34$0", "DEC"},
                              {"&144$0", "LTSX"},
                              {"&16$0", "SLSX"}});
    expectOperands("QB-430",
                   {{"&251$0", "MIOX"}, {"&254$3", "MIOU"}, {"&4$0", "DN"}, {"&248$0", "TR"}});
    expectOperands("QB-420",
                   {{"&52$0", "TPE"}, {"&68$0", "DEC"}, {"&77$0", "DECX"}, {"&255$1", "SLSY"}});
}

TEST(DecompileOperands, TargetAndArcOperandDecoders) {
    const Decompiler qb450(findModel("QB-450"));
    EXPECT_EQ(qb450.DecodeTargetAxis("&106$5"), "U");
    EXPECT_EQ(qb450.DecodeTargetValue("&106$5"), "5");
    EXPECT_EQ(qb450.DecodeTargetAxis("&109$5"), "Y");
    EXPECT_EQ(qb450.DecodeTargetValue("&109$5"), "V5");
    for (const char* line : {"", "CV5", "&107$5", "&112$5", "&0103$5"}) {
        EXPECT_EQ(qb450.DecodeTargetAxis(line), "?") << line;
        EXPECT_EQ(qb450.DecodeTargetValue(line), "?") << line;
    }
    EXPECT_EQ(qb450.DecodeArcOperand("&116$-3"), "-3");
    EXPECT_EQ(qb450.DecodeArcOperand("&117$3"), "V3");
    for (const char* line : {"", "VR3", "&103$5"})
        EXPECT_EQ(qb450.DecodeArcOperand(line), "?");
}
