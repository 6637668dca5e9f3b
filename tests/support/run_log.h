#pragma once
#include <string>
#include <vector>

// Lines of the program's log, compared in UTF-8 so that failures print readably.
using Lines = std::vector<std::string>;

// The log of a run at width x height over files (names, in the order the run meets them):
// every file succeeds but those in failed.
Lines RunLog(int width, int height, const std::vector<std::wstring>& files,
             const std::vector<std::wstring>& failed = {});
