// The report writers' shared file handling: a file written all or nothing,
// and the error of a cancelled export.
#pragma once

#include <glib.h>
#include <glib/gstdio.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// ---- writing a file all or nothing ----

inline void setFileError(GError** ppError, int nErr, const char* pszFile) {
    g_set_error(ppError, G_FILE_ERROR, g_file_error_from_errno(nErr), "%s\n%s", pszFile,
                g_strerror(nErr));
}

// A temporary file beside the target, renamed over it by commit(); the
// destructor removes it when commit() was not reached or failed.
class AtomicFile {
  public:
    explicit AtomicFile(const char* pszTarget) : m_strTarget(pszTarget) {}
    ~AtomicFile() {
        if (m_pFile)
            fclose(m_pFile);
        if (!m_strTemp.empty())
            g_unlink(m_strTemp.c_str());
    }
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    gboolean open(GError** ppError) {
        gchar* pszDir = g_path_get_dirname(m_strTarget.c_str());
        gchar* pszBase = g_path_get_basename(m_strTarget.c_str());
        gchar* pszTemp = g_strdup_printf("%s/.%s.XXXXXX", pszDir, pszBase);
        g_free(pszDir);
        g_free(pszBase);
        struct stat st;
        if (stat(m_strTarget.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            g_free(pszTemp);
            setFileError(ppError, EISDIR, m_strTarget.c_str());
            return FALSE;
        }
        int fd = g_mkstemp(pszTemp);
        if (fd < 0) {
            int nErr = errno;
            g_free(pszTemp);
            setFileError(ppError, nErr, m_strTarget.c_str());
            return FALSE;
        }
        m_strTemp = pszTemp;
        g_free(pszTemp);
        // mkstemp makes the file private; a report is an ordinary file.
        mode_t nMask = umask(0);
        umask(nMask);
        fchmod(fd, 0666 & ~nMask);
        m_pFile = fdopen(fd, "wb");
        if (!m_pFile) {
            int nErr = errno;
            close(fd);
            setFileError(ppError, nErr, m_strTarget.c_str());
            return FALSE;
        }
        return TRUE;
    }
    FILE* file() const { return m_pFile; }
    // The first write error seen, 0 for none.
    void noteError(int nErr) {
        if (!m_nErr)
            m_nErr = nErr ? nErr : EIO;
    }
    gboolean write(const void* pData, size_t nlData) {
        if (m_nErr)
            return FALSE;
        if (nlData && fwrite(pData, 1, nlData, m_pFile) != nlData) {
            noteError(errno);
            return FALSE;
        }
        return TRUE;
    }
    gboolean commit(GError** ppError) {
        if (!m_nErr && (fflush(m_pFile) != 0 || fsync(fileno(m_pFile)) != 0))
            noteError(errno);
        int nClose = fclose(m_pFile);
        m_pFile = nullptr;
        if (!m_nErr && nClose != 0)
            noteError(errno);
        if (!m_nErr && g_rename(m_strTemp.c_str(), m_strTarget.c_str()) != 0)
            noteError(errno);
        if (m_nErr) {
            setFileError(ppError, m_nErr, m_strTarget.c_str());
            return FALSE;
        }
        m_strTemp.clear();
        return TRUE;
    }

  private:
    std::string m_strTarget;
    std::string m_strTemp;
    FILE* m_pFile = nullptr;
    int m_nErr = 0;
};

inline void setCancelled(GError** ppError, const char* pszFile) {
    g_set_error(ppError, G_IO_ERROR, G_IO_ERROR_CANCELLED, "%s\nThe export was cancelled.",
                pszFile);
}
