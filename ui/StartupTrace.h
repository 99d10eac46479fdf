// With VEILBOX_TRACE_STARTUP=1 the program tells on standard error how long it took
// from its start to its first page on screen, filled and ready for clicks, and which
// page that was. Only the page's name and a time are printed, nothing else.
#pragma once

#include <string>

// Called as early as the program can: the clock starts here.
void MarkProgramStart();
// Called for each of the program's own pages once it is filled (the blank page the
// view starts on is none of them); only the first one after MarkProgramStart reports.
void ReportPageLoaded(const std::string& pageName);
