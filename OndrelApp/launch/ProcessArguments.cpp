#include "OndrelApp/launch/ProcessArguments.h"

#include <cstring>

ProcessArguments::ProcessArguments(int argc, char* argv[])
    : m_copies(argv, argv + argc), m_argc(argc) {
    m_pointers.reserve(m_copies.size() + 1);
    for (std::string& copy : m_copies)
        m_pointers.push_back(copy.data());
    m_pointers.push_back(nullptr);
    // The program's name stays, so ps still shows which program runs.
    for (int i = 1; i < argc; ++i)
        std::memset(argv[i], 0, std::strlen(argv[i]));
}
