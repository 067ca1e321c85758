// The History text: one line per occupied slot with the time it was filled and its path.
#pragma once

#include "provenance/provenance_record.h"
#include "workspace/working_list.h"

#include <string>

namespace sonarium {

// "%03u - %X - path\r\n" for every occupied slot in slot order, the time in local time.
std::string historyText(const WorkingList& list);

class RecordFinder;

// The line of each slot with what made its file: numbered after the file where it is a numbered
// result ("007.wav" -> 007; "---" for any other file), then, where a record says what made it,
// " - " and the command (files in the output folder by their names, the program's name left out),
// and "  # changed since: NAME" for each input that no longer holds what the job read.
std::string historyText(const WorkingList& list, RecordFinder& records);
// The command that made a file in the form historyText shows it; empty without a record.
std::string historyCommand(const ProvenanceRecord& record, const std::string& outputDir);

} // namespace sonarium
