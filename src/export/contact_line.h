#pragma once

#include <string>
#include <string_view>

#include "export/code_page.h"
#include "export/field_selection.h"

// Markers of the saved contacts page. A contact line holds kContactMarker; each field is the
// text between its start and end marker.
inline constexpr std::string_view kContactMarker = "L_n";
inline constexpr std::string_view kEmailStart = " e=\"";  // also starts the QQ number
inline constexpr std::string_view kQQNumberEnd = "@qq.com";
inline constexpr std::string_view kNameStart = " n=\"";
inline constexpr std::string_view kNameEnd = "\" e=";
inline constexpr std::string_view kEmailEnd = "\">&nbsp";
inline constexpr std::string_view kFieldSeparator = "----";

// True when the line holds the contact marker.
bool IsContactLine(std::string_view line, const CodePage& codePage);

// The bytes of `text` between the first `start` and the first `end`, both searched from the
// line's beginning; a missing or misplaced marker gives the clamped slice described in the
// implementation. Never fails.
std::string ExtractBetween(std::string_view text, std::string_view start, std::string_view end,
                           const CodePage& codePage);

// The record line for one contact line: the selected fields joined by "----", then "\n".
std::string BuildContactRecord(std::string_view line, const FieldSelection& selection,
                               const CodePage& codePage);

// BuildContactRecord, appended to `out`, with `terminator` in place of the final "\n", for a
// line that holds no zero byte (a line ends at its first).
void AppendContactRecord(std::string& out, std::string_view line, const FieldSelection& selection,
                         const CodePage& codePage, std::string_view terminator = "\n");
