#include "app/Ending.h"

#include <windows.h>

#include "app/MessageBoxes.h"

namespace app {

void endAtOnce(unsigned exitCode) { ExitProcess(exitCode); }

void failAndEnd(const std::string& description) {
    // MB_ICONSTOP: the program stops here; the user can only acknowledge it.
    messageBox(description, MB_OK | MB_ICONSTOP);
    endAtOnce(1);
}

}  // namespace app
