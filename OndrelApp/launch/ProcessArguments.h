#pragma once

#include <string>
#include <vector>

// The process's arguments, copied out of argv, which is then wiped in place: every user of the
// machine can read a process's argv through /proc/PID/cmdline and ps, and a sign-in link holds
// tokens. Made first thing in main; QGuiApplication gets the copies.
class ProcessArguments {
public:
    ProcessArguments(int argc, char* argv[]);
    ProcessArguments(const ProcessArguments&) = delete;
    ProcessArguments& operator=(const ProcessArguments&) = delete;

    // QGuiApplication keeps both and may take its own options out.
    int& argc() { return m_argc; }
    char** argv() { return m_pointers.data(); }

private:
    std::vector<std::string> m_copies;
    std::vector<char*> m_pointers;
    int m_argc;
};
