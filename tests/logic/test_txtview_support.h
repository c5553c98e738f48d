// Reading a formatted text buffer back the way a user sees it: the visible
// text, and which characters carry a tag, as exact character ranges.
// Images read as U+FFFC.
#pragma once

#include <gtk/gtk.h>

#include <string>

namespace txvt {

inline GtkTextTag* tag(GtkTextBuffer* pbfr, const char* pszTag) {
    return gtk_text_tag_table_lookup(gtk_text_buffer_get_tag_table(pbfr), pszTag);
}

// The text between two places; with bVisible only what is not hidden by tag "h".
inline std::string slice(const GtkTextIter* pitStart, const GtkTextIter* pitEnd, bool bVisible) {
    g_autofree gchar* psz =
        (bVisible ? gtk_text_iter_get_visible_slice : gtk_text_iter_get_slice)(pitStart, pitEnd);
    return psz;
}

inline std::string visibleText(GtkTextBuffer* pbfr) {
    GtkTextIter itStart, itEnd;
    gtk_text_buffer_get_bounds(pbfr, &itStart, &itEnd);
    return slice(&itStart, &itEnd, true);
}

// Every maximal run of characters carrying one of the nine tags as
// "tag=offset:text", joined by blanks; offsets count characters.
inline std::string allRuns(GtkTextBuffer* pbfr) {
    std::string str;
    for (const char* pszTag : {"b", "i", "u", "l", "h", "red", "RED", "blue", "BLUE"}) {
        GtkTextIter itStart, itEnd;
        gtk_text_buffer_get_start_iter(pbfr, &itStart);
        while (!gtk_text_iter_is_end(&itStart) &&
               (gtk_text_iter_begins_tag(&itStart, tag(pbfr, pszTag)) ||
                gtk_text_iter_forward_to_tag_toggle(&itStart, tag(pbfr, pszTag)))) {
            itEnd = itStart;
            gtk_text_iter_forward_to_tag_toggle(&itEnd, tag(pbfr, pszTag));
            str += (str.empty() ? "" : " ") + std::string(pszTag) + "=" +
                   std::to_string(gtk_text_iter_get_offset(&itStart)) + ":" +
                   slice(&itStart, &itEnd, false);
            itStart = itEnd;
        }
    }
    return str;
}

} // namespace txvt
