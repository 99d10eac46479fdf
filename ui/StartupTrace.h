// With VEILBOX_TRACE_STARTUP=1 the program tells on standard error how long it took
// from its start to the first page on screen. Only a time is printed, nothing else.
#pragma once

// Called as early as the program can: the clock starts here.
void MarkProgramStart();
// Called at each page load; only the first one after MarkProgramStart reports.
void ReportPageLoaded();
