#pragma once
#include "quillmere_session.h"

// One program process, its folder and height chosen, through runs consecutive runs: its
// memory and object counts before the first run, after its first 10 files and after every
// run, and the window's answer to WM_NULL timed at every poll of each run. Prints one line
// per sample and per run. Throws driver::DriverError.
void RunSoak(driver::QuillmereSession& app, int runs);
