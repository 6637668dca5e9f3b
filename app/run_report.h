#pragma once

// What a batch run shows in its window, in one report: a log line, the progress bar's
// range, its position, or several of these at once.
struct RunReport {
  const wchar_t* line = nullptr;  // added at the end of the log and scrolled into view
  int progressRange = 0;          // when above 0, the bar's range becomes 0..progressRange
  int progressPosition = 0;       // when above 0, the bar moves there
};

// Called on a run's thread: has the window's thread carry out report, in one synchronous
// message to the main window, and returns once it has. report need live only that long.
void SendRunReport(const RunReport& report);

// The report of a file's end, from a run over count files: the file's line, and the bar's
// step for the next file, if there is one, so that each file costs one round trip.
void SendFileDone(const wchar_t* line, int index, int count);
