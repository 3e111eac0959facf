#include "jobfiles/loader_setup.h"

#include "support/scratch_folder.h"

#include <gtest/gtest.h>

using namespace jobfiles;
using testing_support::crlfLines;
using testing_support::ScratchFolder;

TEST(LoaderSetup, ReadsTheFileFromTheGivenFolder) {
    ScratchFolder folder;
    folder.write("proglift_setup.txt",
                 crlfLines({"LIN:85", "COM:ETHERNET", "IPA:10.0.0.7", "POR:5000", "OPE:UPLOAD"}));
    const LoaderSetup setup = ReadLoaderSetup(folder.str());
    EXPECT_EQ(setup.LinkType, 3);
    EXPECT_EQ(setup.EthernetAddress, "10.0.0.7");
    EXPECT_EQ(setup.SerialPort, 5000);
    EXPECT_EQ(setup.LineLimit, 85);
    EXPECT_EQ(setup.LoaderOperation, Upload);
}

TEST(LoaderSetup, NoFileOrNoValidOperationMeansNothingToDo) {
    ScratchFolder folder;
    EXPECT_EQ(ReadLoaderSetup(folder.str()).LoaderOperation, NoOperation);
    // Values are compared exactly: a lower-case job is not a job.
    EXPECT_EQ(ParseLoaderSetup({"OPE:download", "COM:SERIAL"}).LoaderOperation, NoOperation);
    EXPECT_EQ(ParseLoaderSetup({"ope:DOWNLOAD"}).LoaderOperation, NoOperation);
    // An unknown value leaves an earlier valid one standing.
    EXPECT_EQ(ParseLoaderSetup({"OPE:UPLOAD", "OPE:FLASH"}).LoaderOperation, Upload);
}

TEST(LoaderSetup, FourthCharacterIsSkippedWhateverItIsAndLaterLinesWin) {
    const LoaderSetup setup =
        ParseLoaderSetup({"MOD=QB-450", "DEV:01", "", "DEV 02", "COMXUSB", "LIN", "BAU:"});
    EXPECT_EQ(setup.ModelCode, "QB-450");
    EXPECT_EQ(setup.DeviceName, "02");
    EXPECT_EQ(setup.LinkType, 1);
    EXPECT_EQ(setup.BaudRate, "");
    EXPECT_FALSE(setup.LineLimit.has_value());
}

TEST(LoaderSetup, LineLimitMustBeAPositiveWholeNumber) {
    for (const char* text : {"abc", "0", "-5", "", "17x", "99999999999"}) {
        SCOPED_TRACE(text);
        const LoaderSetup setup = ParseLoaderSetup({std::string("LIN:") + text});
        EXPECT_FALSE(setup.LineLimit.has_value());
        EXPECT_EQ(setup.LineLimitText, text);
    }
    EXPECT_EQ(ParseLoaderSetup({"LIN: 1785 "}).LineLimit, 1785);
}

TEST(LoaderSetup, TcpPortsAboveTheSerialRangeAreKept) {
    const LoaderSetup setup = ParseLoaderSetup({"POR:40000"});
    EXPECT_EQ(setup.EthernetPort, 40000);
    EXPECT_EQ(setup.SerialPort, 0);
    EXPECT_EQ(ParseLoaderSetup({"POR:70000"}).EthernetPort, 0);
}
