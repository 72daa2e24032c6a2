#pragma once

#include <string>
#include <string_view>

// UTF-8 <-> UTF-16 for the W APIs.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);
