#include "avFile.h"

#include <glib/gstdio.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Opens the temporary file with the mode an ordinary new file gets.
int createTemp(const char* pszPath, bool bFixedTemp, std::string* pstrTemp) {
    if (bFixedTemp) {
        *pstrTemp = std::string(pszPath) + ".tmp";
        return open(pstrTemp->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    }
    gchar* pszDir = g_path_get_dirname(pszPath);
    gchar* pszBase = g_path_get_basename(pszPath);
    gchar* pszTemp = g_strdup_printf("%s/.%s.XXXXXX", pszDir, pszBase);
    g_free(pszDir);
    g_free(pszBase);
    int fd = g_mkstemp(pszTemp);
    if (fd >= 0) {
        *pstrTemp = pszTemp;
        // mkstemp makes the file private; what is written here is an
        // ordinary file.
        mode_t nMask = umask(0);
        umask(nMask);
        fchmod(fd, 0666 & ~nMask);
    }
    g_free(pszTemp);
    return fd;
}

bool writeAll(int fd, std::string_view sv) {
    while (!sv.empty()) {
        ssize_t n = write(fd, sv.data(), sv.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        sv.remove_prefix(size_t(n));
    }
    return true;
}

} // namespace

fileStep_t fileReplace(const char* pszPath, std::string_view svData, bool bFixedTemp,
                       GError** ppError) {
    std::string strTemp;
    fileStep_t nStep = FILE_STEP_NONE;
    int fd = createTemp(pszPath, bFixedTemp, &strTemp);
    if (fd < 0)
        nStep = FILE_STEP_CREATE;
    else {
        if (!writeAll(fd, svData) || fsync(fd) != 0)
            nStep = FILE_STEP_WRITE;
        int nErr = errno;
        if (close(fd) != 0 && nStep == FILE_STEP_NONE)
            nStep = FILE_STEP_WRITE;
        else
            errno = nErr;
        if (nStep == FILE_STEP_NONE && g_rename(strTemp.c_str(), pszPath) != 0)
            nStep = FILE_STEP_RENAME;
    }
    if (nStep == FILE_STEP_NONE)
        return nStep;
    int nErr = errno;
    if (fd >= 0)
        g_unlink(strTemp.c_str());
    g_set_error(ppError, G_FILE_ERROR, g_file_error_from_errno(nErr), "%s\n%s", pszPath,
                g_strerror(nErr));
    errno = nErr;
    return nStep;
}
