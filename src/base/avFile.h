// A file replaced all or nothing: the data goes to a temporary file beside
// it, is flushed to disk and renamed over it, so that a crash or a full disk
// never leaves a half-written file where a whole one was.
#pragma once

#include <glib.h>

#include <string_view>

// The step of a replacement that failed.
enum fileStep_t {
    FILE_STEP_NONE,   // the file was replaced
    FILE_STEP_CREATE, // the temporary file could not be made
    FILE_STEP_WRITE,  // writing, flushing or closing it failed
    FILE_STEP_RENAME, // it could not take the file's place
};

// Replaces pszPath with svData. The temporary file is "<path>.tmp" when
// bFixedTemp (a file only the program writes), else a new name that no
// existing file has. On failure the old file is as it was, the temporary
// file is gone, errno holds the cause and *ppError (if given) says
// "<path>\n<cause>".
fileStep_t fileReplace(const char* pszPath, std::string_view svData, bool bFixedTemp,
                       GError** ppError);
