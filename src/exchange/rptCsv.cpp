#include "avReport.h"
#include "rptFile.h"

#include "avFile.h"
#include "avFltCSV.h"

gboolean rptWriteCsv(const rptDoc& doc, const char* pszFile, GError** ppError,
                     const rptProgress& fnProgress) {
    // The byte-order mark tells spreadsheet programs that the file is
    // UTF-8; without it they read "ø" in the local code page.
    std::string strText = "\xEF\xBB\xBF";
    for (size_t iRow = 0; iRow < doc.lstCsv.size(); ++iRow) {
        if (fnProgress && !(iRow % 256) && !fnProgress(double(iRow) / double(doc.lstCsv.size()))) {
            rptSetCancelled(ppError, pszFile);
            return FALSE;
        }
        const auto& lstRow = doc.lstCsv[iRow];
        for (size_t i = 0; i < lstRow.size(); ++i) {
            if (i)
                strText += ',';
            fcsvAppendField(strText, lstRow[i]);
        }
        strText += "\r\n";
    }
    return fileReplace(pszFile, strText, false, ppError) == FILE_STEP_NONE;
}
