#pragma once

#include <string>
#include <vector>

// The command-line exporter. `args` are UTF-8, without the program name. Returns the exit code:
// 0 done, 1 a file could not be read or written, 2 a usage error.
int RunCli(const std::vector<std::string>& args);
