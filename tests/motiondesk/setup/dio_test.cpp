// The digital I/O table: what "Down", "Upload" and "Store" send, and the DIO file.

#include "setup_fixture.h"

#include "controller/parameter_set.h"
#include "motiondesk/setup/dio_file.h"
#include "motiondesk/setup/dio_table.h"
#include "support/scratch_folder.h"

namespace setuptest {
namespace {

using setup::DioPanel;
using setup::DioTable;

class DioTest : public SetupTest {
protected:
    DioTable& table() {
        if (!dio) dio = std::make_unique<DioTable>(channel(), ui, panel);
        return *dio;
    }
    std::string path(const std::string& name = "table.dio") {
        return (folder.path() / name).string();
    }

    DioPanel panel;
    std::unique_ptr<DioTable> dio;
    testing_support::ScratchFolder folder;
};

TEST(DioFieldCommand, RowIsOneHexDigitAndFieldOneDecimalDigit) {
    EXPECT_EQ(setup::dioFieldCommand(15, 4), "MPF4");
    EXPECT_EQ(setup::dioFieldCommand(9, 0), "MP90");
    EXPECT_EQ(setup::dioFieldCommand(10, 2), "MPA2");
}

TEST_F(DioTest, DownWritesEightyFieldsRowByRowAsWholeNumbers) {
    panel.rows[3].Target = "12.7";
    panel.rows[9].MoveType = 5;
    panel.rows[10].Hspd = "5000";
    panel.rows[15].Acc = "";
    panel.rows[15].Lspd = "-40";
    table().Download();
    ASSERT_EQ(sent().size(), 80u);
    EXPECT_EQ(Commands(sent().begin(), sent().begin() + 6),
              (Commands{"MP00=0", "MP01=0", "MP02=0", "MP03=0", "MP04=0", "MP10=0"}));
    EXPECT_EQ(sent()[3 * 5 + 1], "MP31=13");
    EXPECT_EQ(sent()[9 * 5], "MP90=5");
    EXPECT_EQ(sent()[10 * 5 + 2], "MPA2=5000");
    EXPECT_EQ(sent()[15 * 5 + 3], "MPF3=-40");
    EXPECT_EQ(sent().back(), "MPF4=0");
    EXPECT_EQ(panel.rows[15].Acc, "0");
    EXPECT_EQ(controller.model->value("MPA2"), "5000");
    EXPECT_EQ(ui.messages(), (Messages{"Download Done!"}));
}

TEST_F(DioTest, DownNamesTheEntriesTheControllerRefused) {
    controller.replies["MP21=0"] = "?MP21=0";
    controller.replies["MP22=0"] = "garbage";
    table().Download();
    EXPECT_EQ(sent().size(), 80u);
    EXPECT_EQ(ui.messages(), (Messages{"The controller did not take these settings:\n"
                                       "    MP21=0 (it answered \"?MP21=0\")\n"
                                       "    MP22=0 (it answered \"garbage\")\n"
                                       "The other settings were downloaded."}));
}

TEST_F(DioTest, AFieldThatIsNoWholeNumberIsNamedAndNothingIsSent) {
    panel.rows[3].Hspd = "fast";
    panel.rows[7].Acc = "x";
    table().Download();
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(ui.messages(), (Messages{"Row 3 High Spd must be a whole number, not \"fast\"."}));
}

TEST_F(DioTest, AControllerThatFallsSilentStopsTheDownThere) {
    controller.silent = {"MP52=0"};
    table().Download();
    EXPECT_EQ(sent().size(), 5u * 5 + 3);
    EXPECT_EQ(ui.messages(), (Messages{"No Reply to Command: MP52=0", "Communication Error!"}));
    EXPECT_FALSE(state.LinkOpen);
}

TEST_F(DioTest, UploadFillsTheTableAndLeavesWhatItCannotShow) {
    for (const char* setting : {"MP30=5", "MPA2=5000", "MPF4=-12", "MP00=22"})
        ASSERT_EQ(controller.model->execute(setting), "OK");
    controller.replies["MP10"] = "23";
    controller.replies["MP20"] = "-1";
    controller.replies["MP21"] = "far";
    panel.rows[1].MoveType = 4;
    panel.rows[2].MoveType = 6;
    panel.rows[2].Target = "77";
    table().Upload();
    EXPECT_EQ(sent().size(), 80u);
    EXPECT_EQ(sent()[0], "MP00");
    EXPECT_EQ(panel.rows[0].MoveType, 22);
    EXPECT_EQ(panel.rows[3].MoveType, 5);
    EXPECT_EQ(panel.rows[10].Hspd, "5000");
    EXPECT_EQ(panel.rows[15].Acc, "-12");
    EXPECT_EQ(panel.rows[1].MoveType, 4) << "position 23 is no move type";
    EXPECT_EQ(panel.rows[2].MoveType, 6);
    EXPECT_EQ(panel.rows[2].Target, "77");
    EXPECT_EQ(ui.messages(), (Messages{"Upload Done!"}));
}

TEST_F(DioTest, StoreAsksAndReportsTheReply) {
    ui.answers = {false, true, true};
    table().Store();
    table().Store();
    controller.silent = {"STORE"};
    table().Store();
    EXPECT_EQ(sent(), (Commands{"STORE", "STORE"}));
    EXPECT_EQ(ui.questions.front(), (Question{setup::kStoreQuestion, "Store to Flash"}));
    EXPECT_EQ(ui.messages(), (Messages{"Store to Flash done!", "No Reply to Command: STORE",
                                       "Communication Error!"}));
}

DioPanel sampleTable() {
    DioPanel panel;
    for (int row = 0; row < setup::kDioRows; ++row) {
        auto& entry = panel.rows[size_t(row)];
        entry.MoveType = (row * 3) % 23;
        entry.Target = std::to_string(row * 1000 - 5000);
        entry.Hspd = std::to_string(100 + row);
        entry.Lspd = std::to_string(10 + row);
        entry.Acc = std::to_string(500 + row);
    }
    return panel;
}

TEST_F(DioTest, SaveWritesFiveLinesPerRowTypeTargetAccelHighLowOrSaysThereIsNoName) {
    ui.fileNames = {path()};
    setup::saveDioFile(ui, sampleTable());
    const std::string bytes = folder.read("table.dio");
    EXPECT_TRUE(bytes.starts_with(" 0 \r\n-5000\r\n500\r\n100\r\n10\r\n 3 \r\n-4000\r\n"));
    EXPECT_TRUE(bytes.ends_with("\r\n 22 \r\n10000\r\n515\r\n115\r\n25\r\n"));
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 80);
    EXPECT_EQ(ui.messages(), (Messages{"Save Parameters to file done!"}));
    EXPECT_EQ(ui.dialogs.front().caption, "Save DIO Parameters As");
    EXPECT_EQ(ui.dialogs.front().filter, "Parameter Files (*.dio)|*.dio");
    EXPECT_EQ(ui.dialogs.front().initialName, "");

    ui.fileNames = {"", std::nullopt, path("*.dio")};
    for (int i = 0; i < 3; ++i)
        setup::saveDioFile(ui, sampleTable());
    EXPECT_EQ(ui.takeMessages(), (Messages{"No DIO File Name!"}));
    EXPECT_EQ(folder.fileCount(), 1u);
}

TEST_F(DioTest, ASavedTableOpensAsItWasAndSendsNothing) {
    ui.fileNames = {path()};
    setup::saveDioFile(ui, sampleTable());
    ui.takeMessages();
    ui.fileNames = {path()};
    EXPECT_TRUE(setup::openDioFile(ui, "KT-210", panel));
    const auto table = sampleTable();
    for (int row = 0; row < setup::kDioRows; ++row) {
        const auto& got = panel.rows[size_t(row)];
        const auto& want = table.rows[size_t(row)];
        EXPECT_EQ(std::tie(got.MoveType, got.Target, got.Hspd, got.Lspd, got.Acc),
                  std::tie(want.MoveType, want.Target, want.Hspd, want.Lspd, want.Acc))
            << "row " << row;
    }
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(ui.dialogs.back().caption, "Open KT-210 DIO File");
    EXPECT_EQ(ui.dialogs.back().filter, "KT-210 DIO Files (*.dio)|*.dio");
    EXPECT_EQ(ui.dialogs.back().initialName, "*.dio");
}

// A file that goes wrong in row 2 fills rows 0 and 1 and leaves the rest, silently.
struct BadDioFile {
    const char* name;
    std::string rowTwo; // the five lines of row 2, or fewer when the file ends there
    const char* lineEnd;
};

class OpeningABadDioFile : public DioTest, public ::testing::WithParamInterface<BadDioFile> {};

TEST_P(OpeningABadDioFile, FillsTheRowsBeforeTheFaultAndLeavesTheRest) {
    const BadDioFile& c = GetParam();
    std::string bytes;
    for (const char* line : {" 5 ", "100", "2", "3", "4", "6", "-200", "7", "8", "9"})
        bytes += std::string(line) + c.lineEnd;
    bytes += c.rowTwo;
    folder.write("table.dio", bytes);
    panel.rows[2].Target = "keep";
    panel.rows[2].MoveType = 1;
    ui.fileNames = {path()};
    EXPECT_TRUE(setup::openDioFile(ui, "KT-210", panel));
    EXPECT_EQ(panel.rows[0].MoveType, 5);
    EXPECT_EQ(panel.rows[0].Target, "100");
    EXPECT_EQ(panel.rows[0].Acc, "2");
    EXPECT_EQ(panel.rows[0].Hspd, "3");
    EXPECT_EQ(panel.rows[0].Lspd, "4");
    EXPECT_EQ(panel.rows[1].MoveType, 6);
    EXPECT_EQ(panel.rows[1].Target, "-200");
    EXPECT_EQ(panel.rows[2].MoveType, 1);
    EXPECT_EQ(panel.rows[2].Target, "keep");
    EXPECT_EQ(panel.rows[3].Target, "0");
    EXPECT_TRUE(ui.messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Open, OpeningABadDioFile,
    ::testing::Values(BadDioFile{"EndsInTheRow", "3\r\n1\r\n", "\r\n"},
                      BadDioFile{"MoveTypeAboveTheList", "23\r\n1\r\n1\r\n1\r\n1\r\n", "\r\n"},
                      BadDioFile{"NegativeMoveType", "-1\r\n1\r\n1\r\n1\r\n1\r\n", "\r\n"},
                      BadDioFile{"TextThatIsNoNumber", "3\r\n1\r\nabc\r\n1\r\n1\r\n", "\r\n"},
                      BadDioFile{"LoneCarriageReturns", "3\r1\r", "\r"},
                      BadDioFile{"LoneLineFeeds", "3\n", "\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DioTest, ABinaryFileIsRefusedAndChangesNothing) {
    folder.write("table.dio", std::string(" 5 \r\n\0\0\0", 8));
    ui.fileNames = {path()};
    EXPECT_FALSE(setup::openDioFile(ui, "KT-210", panel));
    EXPECT_EQ(panel.rows[0].MoveType, 0);
    EXPECT_EQ(ui.messages(),
              (Messages{"File " + path() +
                        " holds binary data and is no DIO file; nothing was opened."}));
}

} // namespace
} // namespace setuptest
