#include "app/cli/line_editor.h"

#include <poll.h>
#include <readline/history.h>
#include <readline/readline.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "base/stop_signals.h"

namespace app::cli {

namespace {

// Readline's input: a stop signal ends the wait for a key as Ctrl-D does
// (poll returns on a signal whatever the handler's flags).
int stop_aware_getc(FILE *in)
{
    for (;;) {
        if (base::stop::requested()) return EOF;
        pollfd p{fileno(in), POLLIN, 0};
        if (::poll(&p, 1, -1) < 0) {
            if (errno == EINTR) continue;
            return EOF;
        }
        unsigned char c;
        const ssize_t n = ::read(fileno(in), &c, 1);
        if (n == 1) return c;
        if (n == 0 || (errno != EINTR && errno != EAGAIN)) return EOF;
    }
}

}  // namespace

void line_editor_start()
{
    using_history();
    rl_catch_signals = 0;  // korvane's handler records the stop; the key reader sees it
    rl_getc_function = stop_aware_getc;
}

bool line_editor_read(const char *prompt, std::string &line)
{
    char *text = readline(prompt);
    if (!text) return false;
    line = text;
    std::free(text);
    if (line.find_first_not_of(" \t") != std::string::npos) add_history(line.c_str());
    return true;
}

}  // namespace app::cli
