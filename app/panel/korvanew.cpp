// korvanew.exe, the window's program for Explorer and shortcuts on Windows.
// Windows gives a console program started outside a console a console window
// of its own; korvanew.exe is a window program without one: it starts
// korvane.exe beside it with no console window, passes on its arguments and
// returns its status (as pythonw.exe is to python.exe, in one program).
#include <string>

#include "base/platform.h"

int main()
{
    std::string why;
    const int status = base::platform::run_sibling("korvane.exe", why);
    if (status < 0) {
        base::platform::alert("korvane", "korvane.exe did not start: " + why);
        return 1;
    }
    return status;
}
