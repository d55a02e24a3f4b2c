// Writes the OS information record as one line: the description, then the version numbers, the
// platform line and the service-pack text. The OS-version test runs it under each Windows
// version Wine can pretend to be.
#include <cstdio>

#include "QorTools.h"

int main()
{
    qor::TOS os;
    qor::QueryOsInfo(os);
    std::printf("%s|%u.%u.%u|%s|%s\n", os.description.c_str(), os.major, os.minor, os.build,
                os.isNT   ? "nt"
                : os.is9x ? "9x"
                          : "other",
                os.servicePack.c_str());
    return 0;
}
