#include <string>
#include <vector>

#include "cli/cli.h"

#ifdef _WIN32
#include "win/console.h"

int wmain(int argc, wchar_t** argv) { return RunCli(PrepareConsole(argc, argv)); }
#else
int main(int argc, char** argv) { return RunCli(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
