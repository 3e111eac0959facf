// A program that opens a USB device through libZentorCom.so the way Motiondesk does, prints the
// handle and then either ends normally ("exit") or waits to be killed ("stay").
//   open_and_stay <library> <device index> exit|stay

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    void* library = dlopen(argv[1], RTLD_NOW);
    if (!library) return 3;
    using Open = int32_t (*)(int32_t, int32_t*);
    auto open = reinterpret_cast<Open>(dlsym(library, "fnZentorComOpen"));
    if (!open) return 4;
    int32_t handle = 0;
    const int32_t status = open(std::atoi(argv[2]), &handle);
    std::printf("%d %d\n", status, handle);
    std::fflush(stdout);
    if (std::strcmp(argv[3], "stay") == 0)
        for (;;)
            pause();
    return 0;
}
