// The plain-text log file: start, shutdown and every reported error.
#pragma once

// Appends one entry (time stamp, the message split into at most 20 lines,
// an empty line). A null message writes nothing; an unopenable log is
// silently skipped.
void errPostError(const char* pszError);
