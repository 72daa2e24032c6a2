#pragma once

#include <functional>
#include <string_view>

#include "export/code_page.h"
#include "export/field_selection.h"
#include "export/files.h"

// The line end of records as they go to disk: every line feed stored as CR LF.
inline constexpr std::string_view kDiskLineEnd = "\r\n";

// Receives the records of a run of lines, in input order.
using RecordSink = std::function<void(std::string_view records)>;

// Reads a saved contacts page to its end and hands the record of every contact line to `sink`,
// in input order, a block of lines at a time; each record ends in `lineEnd` ("\n" as
// BuildContactRecord gives it, kDiskLineEnd as it goes to disk).
//
// Lines end at a line feed; a carriage return right before it goes with it, any other carriage
// return stays in the line. The first byte 0x1A ends the input; a last line without a line feed
// still counts. A line is handed to extraction up to its first zero byte. Lines may be of any
// length: a block grows to hold the longest, and memory stays bounded by it.
//
// Two threads, the calling one and a helper, each read the next block in turn and turn it into
// records; `sink` is called in input order, one call at a time, from either thread. A failure
// (of `input`, of memory, of `sink`) stops both and reaches the caller.
void ReadContactRecords(InputFile& input, const FieldSelection& selection, const CodePage& codePage,
                        std::string_view lineEnd, const RecordSink& sink);
