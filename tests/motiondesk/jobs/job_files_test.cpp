#include "motiondesk/jobs/job_files.h"

#include "link/connection_state.h"
#include "motiondesk/session/program_values.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

TEST(JobFiles, ProgramLinesAreSplitAtCarriageReturnsAndTheLastLineIsKept) {
    EXPECT_EQ(jobs::programFileLines("V1 = 1\r\nV2 = 2\r\nEND"),
              (Lines{"V1 = 1", "V2 = 2", "END"}));
    EXPECT_EQ(jobs::programFileLines("V1 = 1\r\nEND\r\n"), (Lines{"V1 = 1", "END"}));
    // Line feeds alone do not end a line; they are dropped.
    EXPECT_EQ(jobs::programFileLines("V1 = 1\nEND\n"), (Lines{"V1 = 1END"}));
    EXPECT_EQ(jobs::programFileLines("A\rB"), (Lines{"A", "B"}));
    EXPECT_EQ(jobs::programFileLines(""), (Lines{""}));
}

TEST(JobFiles, CompilerSetUpFilesForCompileAndDecompile) {
    EXPECT_EQ(jobs::compilerSetupLines(jobs::CompilerJob::Compile, "KT-210"),
              (Lines{"MOD:KT-210", "OPE:COMPILE", "FIL:Program.prg"}));
    EXPECT_EQ(jobs::compilerSetupLines(jobs::CompilerJob::Decompile, "KT-210"),
              (Lines{"MOD:KT-210", "OPE:DECOMPILE", "FIL:UploadOut.txt"}));
}

// The loader reads its lines by key; the order differs between the jobs, and POR is written for
// USB too.
TEST(JobFiles, LoaderSetUpFilesKeepEachJobsLineOrder) {
    transport::ConnectionState state;
    state.LinkType = transport::LinkSerial;
    state.SerialPort = 12;
    state.BaudRate = "38400";
    state.DeviceName = "07";
    const session::ProgramValues program;
    EXPECT_EQ(jobs::loaderSetupLines(jobs::LoaderJob::Download, state, program),
              (Lines{"LIN:1785", "COM:SERIAL", "POR:12", "BAU:38400", "DEV:07", "OPE:DOWNLOAD",
                     "FIL:CompileOut.txt", "MOD:KT-210"}));
    EXPECT_EQ(jobs::loaderSetupLines(jobs::LoaderJob::Clear, state, program),
              (Lines{"LIN:1785", "COM:SERIAL", "DEV:07", "POR:12", "BAU:38400", "OPE:CLEAR",
                     "FIL:CompileOut.txt", "MOD:KT-210"}));
    state.LinkType = transport::LinkUsb;
    EXPECT_EQ(jobs::loaderSetupLines(jobs::LoaderJob::Upload, state, program),
              (Lines{"LIN:1785", "COM:USB", "DEV:07", "POR:12", "BAU:38400", "OPE:UPLOAD",
                     "FIL:CompileOut.txt", "MOD:KT-210"}));
}

} // namespace
