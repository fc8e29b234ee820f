#include "app/cli/line_editor.h"

#include <iostream>

#include "base/stop_signals.h"

namespace app::cli {

void line_editor_start()
{
}

bool line_editor_read(const char *prompt, std::string &line)
{
    std::cout << prompt << std::flush;
    base::stop::Reading interruptible;  // a stop ends the wait for the line
    return static_cast<bool>(std::getline(std::cin, line)) && !base::stop::requested();
}

}  // namespace app::cli
