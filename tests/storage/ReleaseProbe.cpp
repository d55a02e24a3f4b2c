// Reports what the system-information module makes of the platform it runs on, for the
// Windows versions Wine is told to pretend to be:
//   platform=<id> version=<major>.<minor> product=<type> release=<TWindowsRelease>
//   name=<accepted|refused>
// where name tells whether a shared-memory name with a namespace prefix was accepted.
#include "BcErrors.h"
#include "BcSharedMemory.h"
#include "BcSysInfoWin.h"

#include <cstdio>

int main()
{
    const bcl::WindowsVersionFacts facts = bcl::CurrentWindowsVersionFacts();
    const char* name = "accepted";
    void* memory = nullptr;
    try {
        bcl::AcquireSharedMemory(memory, "Local\\bcl_release_probe", 16);
        bcl::ReleaseSharedMemory(memory);
    } catch (const bcl::ESharedMemError&) {
        name = "refused";
    } catch (const bcl::EBcError& e) {
        name = "failed";
        std::fprintf(stderr, "%s\n", e.what());
    }
    std::printf("platform=%u version=%u.%u product=%u release=%d name=%s\n",
                unsigned(facts.platformId), unsigned(facts.major), unsigned(facts.minor),
                unsigned(facts.productType), int(bcl::WindowsRelease()), name);
    return 0;
}
