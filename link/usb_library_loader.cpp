#include "link/usb_library_loader.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

#include <type_traits>

namespace transport {

namespace {

const char* const LibraryFileName = "libZentorCom.so";

} // namespace

struct LoadedUsbLibrary::Functions {
    int32_t (*getNumDevices)(int32_t*) = nullptr;
    int32_t (*getProductString)(int32_t, uint8_t*, int32_t) = nullptr;
    int32_t (*setTimeouts)(int32_t, int32_t) = nullptr;
    int32_t (*open)(int32_t, int32_t*) = nullptr;
    int32_t (*sendRecv)(int32_t, const uint8_t*, int32_t, int32_t, uint8_t*) = nullptr;
    int32_t (*flush)(int32_t) = nullptr;
    int32_t (*close)(int32_t) = nullptr;
};

LoadedUsbLibrary::LoadedUsbLibrary(std::vector<std::string> folders)
    : folders_(std::move(folders)) {}

LoadedUsbLibrary::~LoadedUsbLibrary() = default;

bool LoadedUsbLibrary::available() {
    if (!attempted_) {
        attempted_ = true;
        if (!load()) functions_.reset();
    }
    return functions_ != nullptr;
}

bool LoadedUsbLibrary::load() {
    std::vector<std::string> folders = folders_;
    if (folders.empty() && QCoreApplication::instance()) {
        const std::string programFolder = QCoreApplication::applicationDirPath().toStdString();
        folders = {programFolder, programFolder + "/EXE"};
    }
    for (const auto& folder : folders) {
        const std::string path = folder + "/" + LibraryFileName;
        if (QFileInfo::exists(QString::fromStdString(path))) return tryLoad(path);
    }
    // A bare file name lets the dynamic loader search its own path.
    return tryLoad(LibraryFileName);
}

bool LoadedUsbLibrary::tryLoad(const std::string& fileName) {
    library_ = std::make_unique<QLibrary>(QString::fromStdString(fileName));
    if (!library_->load()) {
        loadError_ = library_->errorString().toStdString();
        return false;
    }
    auto resolve = [this](auto& function, const char* name) {
        function =
            reinterpret_cast<std::remove_reference_t<decltype(function)>>(library_->resolve(name));
        if (!function) loadError_ = std::string("Missing function ") + name;
        return function != nullptr;
    };
    functions_ = std::make_unique<Functions>();
    Functions& f = *functions_;
    const bool complete =
        resolve(f.getNumDevices, "fnZentorComGetNumDevices") &&
        resolve(f.getProductString, "fnZentorComGetProductString") &&
        resolve(f.setTimeouts, "fnZentorComSetTimeouts") && resolve(f.open, "fnZentorComOpen") &&
        resolve(f.sendRecv, "fnZentorComSendRecv") && resolve(f.flush, "fnZentorComFlush") &&
        resolve(f.close, "fnZentorComClose");
    if (complete) loadedFrom_ = library_->fileName().toStdString();
    return complete;
}

int32_t LoadedUsbLibrary::GetNumDevices(int32_t& count) {
    return available() ? functions_->getNumDevices(&count) : 0;
}

int32_t LoadedUsbLibrary::GetProductString(int32_t deviceIndex, uint8_t* buffer, int32_t option) {
    return available() ? functions_->getProductString(deviceIndex, buffer, option) : 0;
}

int32_t LoadedUsbLibrary::SetTimeouts(int32_t readTimeoutMs, int32_t writeTimeoutMs) {
    return available() ? functions_->setTimeouts(readTimeoutMs, writeTimeoutMs) : 0;
}

int32_t LoadedUsbLibrary::Open(int32_t deviceIndex, int32_t& handle) {
    return available() ? functions_->open(deviceIndex, &handle) : 0;
}

int32_t LoadedUsbLibrary::SendRecv(int32_t handle, const uint8_t* send, int32_t bytesToWrite,
                                   int32_t bytesToRead, uint8_t* receive) {
    return available() ? functions_->sendRecv(handle, send, bytesToWrite, bytesToRead, receive) : 0;
}

int32_t LoadedUsbLibrary::Flush(int32_t handle) {
    return available() ? functions_->flush(handle) : 0;
}

int32_t LoadedUsbLibrary::Close(int32_t handle) {
    return available() ? functions_->close(handle) : 0;
}

} // namespace transport
