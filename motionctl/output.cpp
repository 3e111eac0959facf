#include "motionctl/output.h"

#include <QJsonDocument>

#include <algorithm>

#include <cstdio>
#include <unistd.h>

namespace motionctl {

Output::Output(std::string command, bool json) : command_(std::move(command)), json_(json) {}

void Output::write(const std::string& bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

void Output::line(const std::string& text) {
    if (json_) return;
    write(text + "\n");
}

void Output::object(const QJsonObject& object) {
    if (!json_) return;
    write(QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString() + "\n");
    std::fflush(stdout);
}

int Output::fail(int code, const std::string& text) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", text.c_str());
    return code;
}

int Output::usage(const std::string& text) {
    std::fflush(stdout);
    std::fprintf(stderr, "motionctl %s: %s\nTry 'motionctl %s --help'.\n", command_.c_str(),
                 text.c_str(), command_.c_str());
    return 2;
}

void Output::note(const std::string& text) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", text.c_str());
}

QString jsonText(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

Progress::Progress(std::string label)
    : shown_(::isatty(STDERR_FILENO) == 1), label_(std::move(label)),
      started_(std::chrono::steady_clock::now()) {}

Progress::~Progress() {
    finish();
}

void Progress::setLabel(std::string label) {
    label_ = std::move(label);
    draw(true);
}

void Progress::setMaximum(int64_t maximum) {
    maximum_ = maximum;
    value_ = 0;
    started_ = std::chrono::steady_clock::now();
    draw(true);
}

void Progress::setValue(int64_t value) {
    value_ = value;
    draw(value_ >= maximum_);
}

void Progress::finish() {
    if (!shown_ || !drawnOnce_) return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    drawnOnce_ = false;
}

void Progress::draw(bool force) {
    if (!shown_ || maximum_ <= 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && drawnOnce_ && now - drawn_ < std::chrono::milliseconds(100)) return;
    drawn_ = now;
    drawnOnce_ = true;
    constexpr int kWidth = 30;
    const int64_t maximum = maximum_ > 0 ? maximum_ : 1;
    const int64_t value = std::clamp<int64_t>(value_, 0, maximum);
    const int filled = int(value * kWidth / maximum);
    std::string bar(size_t(filled), '#');
    bar.append(size_t(kWidth - filled), '-');
    std::string left;
    const double elapsed = std::chrono::duration<double>(now - started_).count();
    if (value > 0 && value < maximum) {
        const long seconds = long(elapsed / double(value) * double(maximum - value) + 0.5);
        char text[32];
        std::snprintf(text, sizeof text, "  %ld:%02ld left", seconds / 60, seconds % 60);
        left = text;
    }
    std::fprintf(stderr, "\r\033[K%s [%s] %lld/%lld%s", label_.c_str(), bar.c_str(),
                 static_cast<long long>(value), static_cast<long long>(maximum_), left.c_str());
    std::fflush(stderr);
}

} // namespace motionctl
