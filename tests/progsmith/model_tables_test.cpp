#include "progsmith/compiler/model_tables.h"

#include <gtest/gtest.h>

using namespace progsmith;

TEST(ModelTables, ThirteenModelsWithTheirGroupsAndVariableRanges) {
    struct Row {
        const char* name;
        Group group;
        int axes, varMin, varMax, pageLines;
    };
    const Row rows[] = {
        {"QB-450", Group::Q4, 4, 0, 99, 85},  {"QB-440", Group::Q4, 4, 0, 99, 170},
        {"QB-430", Group::Q4C, 4, 0, 63, 85}, {"QB-420", Group::Q2, 2, 0, 63, 85},
        {"QB-410", Group::Q2, 2, 0, 63, 85},  {"KT-210", Group::K1, 1, 1, 100, 85},
        {"KT-230", Group::K1, 1, 1, 100, 85}, {"QW-310", Group::K1, 1, 1, 100, 170},
        {"QW-350", Group::K1, 1, 1, 100, 85}, {"QW-330", Group::K1, 1, 0, 31, 85},
        {"QW-340", Group::K1, 1, 0, 99, 85},  {"KT-220", Group::K1B, 1, 1, 50, 85},
        {"QW-320", Group::K1B, 1, 0, 49, 85},
    };
    EXPECT_EQ(allModels().size(), std::size(rows));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const ModelInfo* model = findModel(row.name);
        ASSERT_NE(model, nullptr);
        EXPECT_EQ(model->group, row.group);
        EXPECT_EQ(model->axes, row.axes);
        EXPECT_EQ(model->controller->pageLines, row.pageLines);
        EXPECT_TRUE(isVarInRange(model, row.varMin));
        EXPECT_TRUE(isVarInRange(model, row.varMax));
        EXPECT_FALSE(isVarInRange(model, row.varMin - 1));
        EXPECT_FALSE(isVarInRange(model, row.varMax + 1));
        EXPECT_EQ(codeOf(model, Form::HSPD_Set), 84);
        EXPECT_EQ(codeOf(model, Form::HSPD_SetVar), 85);
    }
}

TEST(ModelTables, ModelNamesAreExactAndUnknownModelsHaveNoCodes) {
    EXPECT_EQ(findModel("kt-210"), nullptr);
    EXPECT_EQ(findModel("KT-210 "), nullptr);
    EXPECT_EQ(codeOf(nullptr, Form::HSPD_Set), -1);
    EXPECT_FALSE(isVarInRange(nullptr, 1));
    EXPECT_TRUE(formsWithCode(nullptr, 84).empty());
}

TEST(ModelTables, CodesDifferPerModel) {
    struct Row {
        const char* model;
        Form form;
        int code;
    };
    const Row rows[] = {
        {"QB-450", Form::STORE, 255},
        {"QB-430", Form::STORE, 250},
        {"KT-210", Form::STORE, 4},
        {"KT-230", Form::STORE, 12},
        {"QW-330", Form::STORE, 248},
        {"QB-450", Form::STOP, 8},
        {"KT-210", Form::STOP, 172},
        {"QB-440", Form::SL_Set, 90},
        {"QW-340", Form::DEC_Set, 12},
        {"QB-450", Form::LT_Set, 91},
        {"KT-210", Form::LT_Set, 140},
        {"QW-340", Form::SCV_Set, 5},
        {"KT-230", Form::KPAR4_Set, 255},
        {"QW-340", Form::LHOMEX_Plus, 101},
        {"QW-340", Form::LHOMEX_Minus, 100},
        {"QW-320", Form::DRVRC_SetVar, 87},
        {"KT-210", Form::JOYENA_Set, 213},
        {"KT-210", Form::JOYENA_SetAlt, 214},
        // forms a model lacks
        {"QB-430", Form::EX_Set, -1},
        {"QW-340", Form::SYNTIME_Set, -1},
        {"QW-310", Form::SRn_Set, -1},
        {"KT-220", Form::PSX, -1},
        {"QB-440", Form::JOYENA_Set, -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.model) + " " + std::string(formInfo(row.form).name));
        EXPECT_EQ(codeOf(findModel(row.model), row.form), row.code);
    }
}

TEST(ModelTables, TwoAxisModelsShareOneTable) {
    EXPECT_EQ(findModel("QB-420")->table, findModel("QB-410")->table);
}

TEST(ModelTables, ACodeMayNameSeveralFormsOfOneModel) {
    const auto forms = formsWithCode(findModel("KT-230"), 63);
    EXPECT_EQ(forms, (std::vector<Form>{Form::EOn_Set, Form::CPAR2_Set}));
}

TEST(ModelTables, FormNamesFindLiteralProgramTextsOnly) {
    EXPECT_EQ(formByName("HSPDX="), Form::HSPDX_Set);
    EXPECT_EQ(formByName("HOMEY-"), Form::HOMEY_Minus);
    EXPECT_EQ(formByName("LT<a>="), std::nullopt);
    EXPECT_EQ(formByName("TOC=V"), std::nullopt);
}
