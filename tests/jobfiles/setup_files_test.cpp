// The files Motiondesk writes for its helpers, and what the helpers read back from them.

#include "common/link_kind.h"
#include "common/textfile.h"
#include "jobfiles/compiler_setup.h"
#include "jobfiles/loader_setup.h"
#include "jobfiles/program_file.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;
using namespace jobfiles;

TEST(ProgramFile, LinesAreSplitAtCarriageReturnsAndTheCompilerReadsThemBack) {
    EXPECT_EQ(programFileLines("V1 = 1\r\nV2 = 2\r\nEND"), (Lines{"V1 = 1", "V2 = 2", "END"}));
    EXPECT_EQ(programFileLines("V1 = 1\r\nEND\r\n"), (Lines{"V1 = 1", "END"}));
    // Line feeds alone do not end a line; they are dropped.
    EXPECT_EQ(programFileLines("V1 = 1\nEND\n"), (Lines{"V1 = 1END"}));
    EXPECT_EQ(programFileLines("A\rB"), (Lines{"A", "B"}));
    EXPECT_EQ(programFileLines(""), (Lines{""}));

    testing_support::ScratchFolder folder;
    const std::string path = folder.str() + "/Program.prg";
    ASSERT_TRUE(common::writeLinesAtomically(path, programFileLines("PRG 0\r\nV1 = 1\r\nEND")));
    EXPECT_EQ(readProgramFile(path), "PRG 0\r\nV1 = 1\r\nEND\r\n");
    EXPECT_EQ(readProgramFile(folder.str() + "/none.prg"), std::nullopt);
}

TEST(CompilerSetup, WrittenForCompileAndDecompileAndReadBackByKey) {
    EXPECT_EQ(compilerSetupLines(compileSetup("KT-210")),
              (Lines{"MOD:KT-210", "OPE:COMPILE", "FIL:Program.prg"}));
    EXPECT_EQ(compilerSetupLines(decompileSetup("QB-450")),
              (Lines{"MOD:QB-450", "OPE:DECOMPILE", "FIL:UploadOut.txt"}));
    for (const CompilerSetup& written : {compileSetup("QW-310"), decompileSetup("KT-230")}) {
        const CompilerSetup read = parseCompilerSetup(compilerSetupLines(written));
        EXPECT_EQ(read.ModelCode, written.ModelCode);
        EXPECT_EQ(read.operation, written.operation);
        EXPECT_EQ(read.FileName, written.FileName);
    }
    // The reader skips the fourth character whatever it is, lets later lines win and takes any
    // operation but COMPILE for a decompile.
    const CompilerSetup odd = parseCompilerSetup({"MOD=T-210", "OPE:COMPILE", "OPE:compile"});
    EXPECT_EQ(odd.ModelCode, "T-210");
    EXPECT_EQ(odd.operation, CompilerOperation::Decompile);
    testing_support::ScratchFolder folder;
    EXPECT_FALSE(readCompilerSetup(folder.str()));
}

TEST(LoaderSetup, EachJobKeepsItsLineOrderAndReadsBackWhole) {
    LoaderSetup setup;
    setup.LineLimitText = "1785";
    setup.LinkType = transport::LinkSerial;
    setup.SerialPort = 12;
    setup.BaudRate = "38400";
    setup.DeviceName = "07";
    setup.ProgramFileName = "CompileOut.txt";
    setup.ModelCode = "KT-210";
    struct Case {
        int16_t operation;
        bool clearOnly;
        int16_t link;
        Lines lines;
    };
    const Case cases[] = {
        {DownloadOrClear,
         false,
         transport::LinkSerial,
         {"LIN:1785", "COM:SERIAL", "POR:12", "BAU:38400", "DEV:07", "OPE:DOWNLOAD",
          "FIL:CompileOut.txt", "MOD:KT-210"}},
        {DownloadOrClear,
         true,
         transport::LinkSerial,
         {"LIN:1785", "COM:SERIAL", "DEV:07", "POR:12", "BAU:38400", "OPE:CLEAR",
          "FIL:CompileOut.txt", "MOD:KT-210"}},
        {Upload,
         false,
         transport::LinkUsb,
         {"LIN:1785", "COM:USB", "DEV:07", "POR:12", "BAU:38400", "OPE:UPLOAD",
          "FIL:CompileOut.txt", "MOD:KT-210"}},
        {Upload,
         false,
         transport::LinkEthernet,
         {"LIN:1785", "COM:ETHERNET", "IPA:10.0.0.7", "DEV:07", "POR:40000", "BAU:38400",
          "OPE:UPLOAD", "FIL:CompileOut.txt", "MOD:KT-210"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines[5]);
        setup.LoaderOperation = c.operation;
        setup.ClearOnly = c.clearOnly;
        setup.LinkType = c.link;
        setup.EthernetAddress = "10.0.0.7";
        setup.EthernetPort = 40000;
        EXPECT_EQ(loaderSetupLines(setup), c.lines);
        const LoaderSetup read = ParseLoaderSetup(loaderSetupLines(setup));
        EXPECT_EQ(read.LineLimit, 1785);
        EXPECT_EQ(read.LinkType, c.link);
        EXPECT_EQ(read.LoaderOperation, c.operation);
        EXPECT_EQ(read.ClearOnly, c.clearOnly);
        EXPECT_EQ(read.DeviceName, "07");
        EXPECT_EQ(c.link == transport::LinkEthernet ? read.EthernetPort : read.SerialPort,
                  c.link == transport::LinkEthernet ? 40000 : 12);
        EXPECT_EQ(read.BaudRate, "38400");
        EXPECT_EQ(read.ProgramFileName, "CompileOut.txt");
        EXPECT_EQ(read.ModelCode, "KT-210");
    }
}

} // namespace
