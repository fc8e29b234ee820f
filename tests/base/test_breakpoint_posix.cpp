// Breakpoint in a child process, with and without a tracer (fork, ptrace: Linux).
#include "base/korvane_base.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Without a debugger the break returns and the process goes on: run in a child
// whose SIGTRAP would end it, the call must be followed by a normal exit.
TEST(Breakpoint, WithoutDebuggerReturnsAndTheProcessGoesOn)
{
    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        signal(SIGTRAP, SIG_DFL);
        Breakpoint();
        _exit(7);
    }
    int st = 0;
    ASSERT_EQ(waitpid(child, &st, 0), child);
    EXPECT_FALSE(WIFSIGNALED(st)) << "ended by signal " << WTERMSIG(st);
    ASSERT_TRUE(WIFEXITED(st));
    EXPECT_EQ(WEXITSTATUS(st), 7);
}

// Under a debugger the break stops the program with SIGTRAP; when the debugger
// lets it go on, execution continues after the call.
TEST(Breakpoint, UnderADebuggerStopsWithSigtrapThenGoesOn)
{
    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0)
            _exit(3);
        raise(SIGSTOP);  // the parent is the tracer from here on
        Breakpoint();
        _exit(7);
    }
    int st = 0;
    ASSERT_EQ(waitpid(child, &st, 0), child);
    if (WIFEXITED(st) && WEXITSTATUS(st) == 3)
        GTEST_SKIP() << "ptrace is not allowed here";
    ASSERT_TRUE(WIFSTOPPED(st));
    EXPECT_EQ(WSTOPSIG(st), SIGSTOP);
    ASSERT_EQ(ptrace(PTRACE_CONT, child, nullptr, nullptr), 0);
    ASSERT_EQ(waitpid(child, &st, 0), child);
    ASSERT_TRUE(WIFSTOPPED(st)) << "no stop at the break";
    EXPECT_EQ(WSTOPSIG(st), SIGTRAP);
    ASSERT_EQ(ptrace(PTRACE_CONT, child, nullptr, nullptr), 0);  // the signal is not passed on
    ASSERT_EQ(waitpid(child, &st, 0), child);
    ASSERT_TRUE(WIFEXITED(st));
    EXPECT_EQ(WEXITSTATUS(st), 7);
}

}  // namespace
