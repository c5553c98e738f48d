#include "avReport.h"
#include "rptFile.h"

namespace {

// ---- CSV ----

void appendCsvField(std::string& str, const std::string& strField) {
    if (strField.find_first_of(",\"\r\n") == std::string::npos) {
        str += strField;
        return;
    }
    str += '"';
    for (char c : strField) {
        if (c == '"')
            str += '"';
        str += c;
    }
    str += '"';
}

} // namespace

gboolean rptWriteCsv(const rptDoc& doc, const char* pszFile, GError** ppError,
                     const rptProgress& fnProgress) {
    AtomicFile file(pszFile);
    if (!file.open(ppError))
        return FALSE;
    // The byte-order mark tells spreadsheet programs that the file is
    // UTF-8; without it they read "ø" in the local code page.
    std::string strLine = "\xEF\xBB\xBF";
    file.write(strLine.data(), strLine.size());
    for (size_t iRow = 0; iRow < doc.lstCsv.size(); ++iRow) {
        if (fnProgress && !(iRow % 256) && !fnProgress(double(iRow) / double(doc.lstCsv.size()))) {
            setCancelled(ppError, pszFile);
            return FALSE;
        }
        const auto& lstRow = doc.lstCsv[iRow];
        strLine.clear();
        for (size_t i = 0; i < lstRow.size(); ++i) {
            if (i)
                strLine += ',';
            appendCsvField(strLine, lstRow[i]);
        }
        strLine += "\r\n";
        if (!file.write(strLine.data(), strLine.size()))
            break;
    }
    return file.commit(ppError);
}
