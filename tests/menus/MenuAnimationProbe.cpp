// A second process for the menu-animation tests. Its exit code tells the desktop's menu
// animation setting ("read"), or it starts the office menu module and then:
//   hold <ready event> <release event>: signals ready, waits for release, shuts down in order;
//   throw: ends through an exception nobody handles;
//   exit: ends through exit() without shutting the module down.
#include "menus/AdvMenus.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

int main(int argc, char** argv)
{
    if (argc < 2)
        return 100;
    if (std::strcmp(argv[1], "read") == 0) {
        BOOL on = FALSE;
        SystemParametersInfoA(SPI_GETMENUANIMATION, 0, &on, 0);
        return on ? 1 : 0;
    }
    menus::AdvMenusInitialize();
    if (std::strcmp(argv[1], "hold") == 0 && argc >= 4) {
        HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
        HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, argv[3]);
        SetEvent(ready);
        WaitForSingleObject(release, 20000);
        menus::AdvMenusFinalize();
        return 0;
    }
    if (std::strcmp(argv[1], "throw") == 0)
        throw std::runtime_error("not handled");
    if (std::strcmp(argv[1], "exit") == 0)
        std::exit(3);
    return 101;
}
