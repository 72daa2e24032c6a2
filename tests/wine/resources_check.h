#pragma once

#include <string>

// Checks the resources of the program file against the product's tables: both dialog
// templates field by field, string 101, icon 128, the version block and the manifest.
void CheckResources(const std::wstring& exePath);
