// Second process of the kernel-object tests: opens mutexes and shared memory by name and
// reports what it sees on its standard output.
//   mutex <name>              existed=<0|1> outcome=<wait outcome of a 0 ms wait>
//   shm-read <name> <count>   status=<status> data=<first count bytes as hex>
//   shm-write <name> <text>   status=<status> (writes the text and a zero byte)
#include "BcErrors.h"
#include "BcSharedMemory.h"
#include "BcSynch.h"
#include "OcBCLUtils.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    const std::string command = argv[1];
    const std::string name = argv[2];
    try {
        if (command == "mutex") {
            bcl::TBcMutex mutex(nullptr, false, name);
            const auto outcome = mutex.WaitTimeout(0);
            std::printf("existed=%d outcome=%d\n", mutex.AlreadyExisted() ? 1 : 0, int(outcome));
            if (outcome == bcl::woSignaled || outcome == bcl::woAbandoned)
                mutex.Unlock();
            return 0;
        }
        if (command == "shm-read" && argc >= 4) {
            void* memory = nullptr;
            const int status = bcl::AcquireSharedMemory(memory, name, 0);
            std::printf("status=%d data=%s\n", status,
                        bcl::BytesToHexText(memory, std::atoi(argv[3])).c_str());
            bcl::ReleaseSharedMemory(memory);
            return 0;
        }
        if (command == "shm-write" && argc >= 4) {
            void* memory = nullptr;
            const int status = bcl::AcquireSharedMemory(memory, name, 0);
            std::memcpy(memory, argv[3], std::strlen(argv[3]) + 1);
            std::printf("status=%d\n", status);
            bcl::ReleaseSharedMemory(memory);
            return 0;
        }
    } catch (const bcl::EBcError& e) {
        std::printf("error=%s\n", e.what());
        return 1;
    }
    return 2;
}
