// Reading a formatted text buffer back the way a user sees it: the visible
// text, and which characters carry a tag, as exact buffer ranges.
#pragma once

#include <gtk/gtk.h>

#include <string>

namespace txvt {

// An embedded image reads as "[img]".
inline std::string charAt(const GtkTextIter* pit) {
    if (gtk_text_iter_get_pixbuf(pit))
        return "[img]";
    gchar sz[8] = {};
    g_unichar_to_utf8(gtk_text_iter_get_char(pit), sz);
    return sz;
}

inline bool hasTag(GtkTextBuffer* pbfr, const GtkTextIter* pit, const char* pszTag) {
    GtkTextTag* pTag = gtk_text_tag_table_lookup(gtk_text_buffer_get_tag_table(pbfr), pszTag);
    return pTag && gtk_text_iter_has_tag(pit, pTag);
}

// The characters a user sees: everything not hidden by tag "h".
inline std::string visibleText(GtkTextBuffer* pbfr) {
    std::string str;
    GtkTextIter it;
    for (gtk_text_buffer_get_start_iter(pbfr, &it); !gtk_text_iter_is_end(&it);
         gtk_text_iter_forward_char(&it))
        if (!hasTag(pbfr, &it, "h"))
            str += charAt(&it);
    return str;
}

// Every maximal run of characters carrying the tag, as "offset:text",
// joined by "|". Offsets are character offsets in the buffer.
inline std::string tagRuns(GtkTextBuffer* pbfr, const char* pszTag) {
    std::string str, strRun;
    gint iRun = -1;
    GtkTextIter it;
    auto flush = [&] {
        if (iRun < 0)
            return;
        if (!str.empty())
            str += "|";
        str += std::to_string(iRun) + ":" + strRun;
        iRun = -1;
        strRun.clear();
    };
    for (gtk_text_buffer_get_start_iter(pbfr, &it); !gtk_text_iter_is_end(&it);
         gtk_text_iter_forward_char(&it)) {
        if (hasTag(pbfr, &it, pszTag)) {
            if (iRun < 0)
                iRun = gtk_text_iter_get_offset(&it);
            strRun += charAt(&it);
        } else {
            flush();
        }
    }
    flush();
    return str;
}

inline std::string allText(GtkTextBuffer* pbfr) {
    GtkTextIter itStart, itEnd;
    gtk_text_buffer_get_bounds(pbfr, &itStart, &itEnd);
    gchar* psz = gtk_text_buffer_get_text(pbfr, &itStart, &itEnd, TRUE);
    std::string str = psz;
    g_free(psz);
    return str;
}

} // namespace txvt
