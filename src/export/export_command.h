#pragma once

#include <string>

#include "export/code_page.h"
#include "export/field_selection.h"
#include "export/platform.h"

// Asks for a file with a chooser listing `description` files (*.`extension`) and all files.
// Returns the confirmed full path, or "" when the user cancelled.
std::string AskForFileName(Platform& platform, bool openForReading, const std::string& description,
                           const std::string& extension);

// The Open button's command: warns when no field is selected, asks for the saved contacts page,
// reads it whole, asks where to save and writes one record line per contact line. A file that
// cannot be read or written is reported in the error box; the success message appears only
// once every byte is in place.
void RunExportCommand(Platform& platform, const FieldSelection& selection,
                      const CodePage& codePage);
