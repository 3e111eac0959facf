#pragma once
// Runs the built EXE/progsmith as Motiondesk does: a scratch copy of the EXE folder holding the
// program, its set-up file and its input, started without arguments, waited for.

#include <QApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

namespace progsmith::testing {

namespace fs = std::filesystem;

inline std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// QProcess and the window want an application object; one serves every test of the executable.
// It is never destroyed: torn down among the exit handlers, Qt's GUI objects would outlive parts
// of Qt they need.
inline void ensureApplication() {
    static int argc = 1;
    static char name[] = "progsmith_tests";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) new QApplication(argc, argv);
}

class ExeFolder {
public:
    explicit ExeFolder(const std::string& label) {
        static int counter = 0;
        root_ =
            fs::temp_directory_path() / ("progsmith_" + label + "_" + std::to_string(::getpid()) +
                                         "_" + std::to_string(++counter));
        fs::remove_all(root_);
        exe_ = root_ / "EXE";
        fs::create_directories(exe_);
        fs::copy_file(fs::path(SUITE_EXE_DIR) / "progsmith", exe_ / "progsmith");
    }
    ~ExeFolder() {
        std::error_code ignored;
        fs::permissions(exe_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(root_, ignored);
    }
    ExeFolder(const ExeFolder&) = delete;
    ExeFolder& operator=(const ExeFolder&) = delete;

    const fs::path& exe() const { return exe_; }
    void write(const std::string& name, const std::string& bytes) const {
        writeBytes(exe_ / name, bytes);
    }
    std::string read(const std::string& name) const { return readBytes(exe_ / name); }
    bool has(const std::string& name) const { return fs::exists(exe_ / name); }

    void writeSetup(const std::string& model, const std::string& operation = "COMPILE",
                    const std::string& file = "Program.prg") const {
        write("progsmith_setup.txt",
              "MOD:" + model + "\r\nOPE:" + operation + "\r\nFIL:" + file + "\r\n");
    }

    // Starts progsmith and waits; false when it did not end by itself within the limit.
    bool run(int limitMs = 60000) const {
        ensureApplication();
        QProcess process;
        auto environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(QString::fromStdString(root_.string()));
        process.start(QString::fromStdString((exe_ / "progsmith").string()), {});
        if (!process.waitForFinished(limitMs)) {
            process.kill();
            process.waitForFinished();
            return false;
        }
        return process.exitStatus() == QProcess::NormalExit;
    }

    // Leftovers of an interrupted write: anything beside the files the test put there.
    bool hasTemporaryFiles() const {
        for (const auto& entry : fs::directory_iterator(exe_))
            if (entry.path().filename().string().find(".tmp") != std::string::npos) return true;
        return false;
    }

private:
    fs::path root_;
    fs::path exe_;
};

// One golden case: tests/golden/<model>/<name><suffix>, the input and its expected result
// differing only in their suffix.
struct GoldenCase {
    std::string model;
    std::string name;
    fs::path folder;

    fs::path file(std::string_view suffix) const { return folder / (name + std::string(suffix)); }
};

// Every golden input ending in inputSuffix, in a stable order.
inline std::vector<GoldenCase> goldenCases(std::string_view inputSuffix) {
    std::vector<GoldenCase> cases;
    const fs::path root = fs::path(SUITE_SOURCE_DIR) / "tests" / "golden";
    for (const auto& modelDir : fs::directory_iterator(root)) {
        if (!modelDir.is_directory()) continue;
        for (const auto& file : fs::directory_iterator(modelDir.path())) {
            const std::string fileName = file.path().filename().string();
            if (!fileName.ends_with(inputSuffix)) continue;
            cases.push_back({modelDir.path().filename().string(),
                             fileName.substr(0, fileName.size() - inputSuffix.size()),
                             modelDir.path()});
        }
    }
    std::sort(cases.begin(), cases.end(), [](const GoldenCase& a, const GoldenCase& b) {
        return a.folder / a.name < b.folder / b.name;
    });
    return cases;
}

// A test name made of the model and the case name.
inline std::string goldenCaseName(const GoldenCase& golden) {
    std::string name = golden.model + "_" + golden.name;
    std::replace_if(
        name.begin(), name.end(),
        [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

} // namespace progsmith::testing
