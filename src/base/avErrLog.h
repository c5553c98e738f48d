// The plain-text log file: start, shutdown and every reported error.
#pragma once

// Appends one entry (time stamp, the message split into at most 20 lines,
// an empty line). A null message writes nothing; an unopenable log is
// silently skipped.
void errPostError(const char* pszError);

// How the models report a failure without knowing who shows it. The
// answer is a GtkResponseType, as the error dialog gives it.
typedef int (*dlgReporter)(const char* pszError, const char* pszFunction, const char* pszLocus);
// The reporter that null stands for: the program installs its error dialog
// at start-up. Until then a report is only logged and answered OK.
void dlgSetDefaultReporter(dlgReporter pfnReporter);
// Sets the reporter (a model test sets one, so that it runs without a
// display); null puts the default back. Returns the old one.
dlgReporter dlgSetReporter(dlgReporter pfnReporter);
int dlgReport(const char* pszError, const char* pszFunction, const char* pszLocus);
