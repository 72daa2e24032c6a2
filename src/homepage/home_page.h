#pragma once

#include <cstdint>

#include "export/platform.h"

// The maker's home page, https://korvel.example.com, enciphered for DecipherText (26 letter
// pairs, one per address byte; made with tools/encipher).
inline constexpr char HOME_PAGE_TEXT[] = "BYGFAFBGBVEOEXGBAUGNFFEUEGFNBWDVIYIXJBHLFUAUCQJNFCED";
inline constexpr std::uint16_t HOME_PAGE_KEY = 0x5A3C;

// The command line that opens the home page: the shell program and the deciphered address.
inline constexpr char kShellPrefix[] = "explorer.exe ";

// Opens the home page in the user's browser through the shell; failures pass unnoticed.
void OpenHomePage(Platform& platform);
