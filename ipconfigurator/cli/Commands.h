// The commands of orvanta-ipconfig over the gvcp library.
#pragma once

#include "CommandLine.h"

#include <string>

namespace ipconfig {

// Where the tool's results and its messages go (file descriptors), each line written at once.
class Console
{
public:
    Console(int resultFd, int messageFd) : m_result(resultFd), m_message(messageFd) {}
    void Result(const std::string& text) const;  // a newline is added unless text ends in one
    void Message(const std::string& text) const; // prefixed with the program's name

private:
    int m_result;
    int m_message;
};

// Runs the command; returns its exit code.
int Run(const CommandLine& line, const Console& console);

} // namespace ipconfig
