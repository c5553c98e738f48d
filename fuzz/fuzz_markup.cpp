// The tilde mark-up decoder and the header form: any text formats without
// a crash or a GTK warning, and writing the buffer back keeps every
// character of a valid text.
#include "fuzz_input.h"
#include "txtView.h"

#include <glib.h>

namespace {
GtkTextBuffer* m_pbfr = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int* pargc, char*** pargv) {
    g_log_set_always_fatal(GLogLevelFlags(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING));
    gtk_init_check(pargc, pargv);
    m_pbfr = gtk_text_buffer_new(nullptr);
    txvCreateTags(m_pbfr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* pData, std::size_t nl) {
    const std::string str = fuzzText(pData, nl);
    gtk_text_buffer_set_text(m_pbfr, "", 0);
#ifdef FUZZ_HEADER_FORM
    txvparam param{0, nullptr, m_pbfr};
    txvSetText(&param, str.c_str());
    gchar szBack[6000];
    txvGetText(szBack, sizeof szBack, &param);
    // Read again, as a page shows a record it has just stored.
    txvSetText(&param, szBack);
#else
    txvDecodeText(m_pbfr, str.c_str(), FALSE);
    static gchar szBack[20000];
    txvEncodeText(szBack, sizeof szBack, m_pbfr);
    if (str.size() < 5000 && g_utf8_validate(str.c_str(), -1, nullptr))
        FUZZ_CHECK(str == szBack, "\"%s\" read back as \"%s\"", str.c_str(), szBack);
#endif
    return 0;
}
