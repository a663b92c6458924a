// orvanta-ipconfig: the IP configurator's command-line tool (see --help).
#include "Commands.h"

#include <unistd.h>

int main(int argc, char** argv)
{
    // The GVCP library prints its socket diagnostics to standard output; here they go to
    // standard error, so that standard output carries only results (and --json stays JSON).
    const int results = ::dup(STDOUT_FILENO);
    if (results >= 0)
        ::dup2(STDERR_FILENO, STDOUT_FILENO);
    const ipconfig::Console console(results >= 0 ? results : STDOUT_FILENO, STDERR_FILENO);

    const ipconfig::ParsedCommandLine parsed =
        ipconfig::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        console.Message(parsed.error);
        console.Message("usage: orvanta-ipconfig list|set-name|set-ip|force-ip|check ... "
                        "(orvanta-ipconfig --help tells more)");
        return ipconfig::kUsage;
    }
    return ipconfig::Run(parsed.line, console);
}
