#pragma once

#include <string>
#include <vector>

// Sets up a console program: standard streams in binary mode, UTF-8 console output. Returns the
// arguments (without the program name) as UTF-8.
std::vector<std::string> PrepareConsole(int argc, wchar_t** argv);
