// Reading a formatted text buffer back the way a user sees it: the visible
// text, and which characters carry a tag, as exact character ranges.
#pragma once

#include <gtk/gtk.h>

#include <string>

namespace txvt {

// Calls fn(iterator) for every character of the buffer.
template <typename Fn> void forEachChar(GtkTextBuffer* pbfr, Fn fn) {
    GtkTextIter it;
    for (gtk_text_buffer_get_start_iter(pbfr, &it); !gtk_text_iter_is_end(&it);
         gtk_text_iter_forward_char(&it))
        fn(&it);
}

// One character as seen; an embedded image reads as "[img]".
inline std::string charAt(const GtkTextIter* pit) {
    gchar sz[8] = {};
    g_unichar_to_utf8(gtk_text_iter_get_char(pit), sz);
    return gtk_text_iter_get_pixbuf(pit) ? "[img]" : sz;
}

inline GtkTextTag* tag(GtkTextBuffer* pbfr, const char* pszTag) {
    return gtk_text_tag_table_lookup(gtk_text_buffer_get_tag_table(pbfr), pszTag);
}

// The characters a user sees: everything not hidden by tag "h".
inline std::string visibleText(GtkTextBuffer* pbfr) {
    std::string str;
    forEachChar(pbfr, [&](GtkTextIter* pit) {
        str += gtk_text_iter_has_tag(pit, tag(pbfr, "h")) ? "" : charAt(pit);
    });
    return str;
}

// Every maximal run of characters carrying one of the nine tags as
// "tag=offset:text", joined by blanks; offsets count characters.
inline std::string allRuns(GtkTextBuffer* pbfr) {
    std::string str;
    for (const char* pszTag : {"b", "i", "u", "l", "h", "red", "RED", "blue", "BLUE"}) {
        bool bIn = false;
        forEachChar(pbfr, [&](GtkTextIter* pit) {
            const bool bHas = gtk_text_iter_has_tag(pit, tag(pbfr, pszTag));
            if (bHas && !bIn)
                str += (str.empty() ? "" : " ") + std::string(pszTag) + "=" +
                       std::to_string(gtk_text_iter_get_offset(pit)) + ":";
            str += bHas ? charAt(pit) : "";
            bIn = bHas;
        });
    }
    return str;
}

} // namespace txvt
