// Marked-up text: what a decoded help text or service note looks like, that
// it reads back unchanged, the attribute-header form, and a decoder that
// survives hostile input. Buffers only: no display.
#include "txtView.h"

#include "harness.h"
#include "test_txtview_support.h"

#include <numeric>
#include <random>

namespace {

using namespace txvt;

struct Buffer {
    GtkTextBuffer* pbfr = gtk_text_buffer_new(nullptr);
    Buffer() { txvCreateTags(pbfr); }
    ~Buffer() { g_object_unref(pbfr); }
};

// A 4 x 3 picture for the texts to embed.
void writePicture(const avt::TempDirs& dirs) {
    GdkPixbuf* ppix = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 4, 3);
    gdk_pixbuf_fill(ppix, 0x3366ccff);
    ASSERT_TRUE(gdk_pixbuf_save(ppix, dirs.etcFile("pic.png").c_str(), "png", nullptr, nullptr));
    g_object_unref(ppix);
}

TEST(MarkedText, DecodesToTheRightCharacters) {
    avt::TempDirs dirs;
    writePicture(dirs);
    struct Case {
        std::vector<std::string> texts; // decoded one after the other
        const char *pszVisible, *pszRuns;
        guint nWidth = 0, nHeight = 0; // a case after one with hints shows they reset
    };
    const Case cases[] = {
        {{"~CRComponent~c - due for replacement"},
         "Component - due for replacement",
         "h=0:~CR h=12:~c RED=3:Component"},
        {{"~I~Cb<new record>~c~i"},
         "<new record>",
         "i=2:~Cb<new record>~c h=0:~I~Cb h=17:~c~i blue=5:<new record>"},
        {{"~W350~w~H250~h"}, "", "h=0:~W350~w~H250~h", 350, 250},
        {{"~CxGrey~c text"}, "Grey text", "h=0:~Cx h=7:~c"},
        {{"~BOne~b\n", "~UTwo~u"}, "One\nTwo", "b=2:One u=10:Two h=0:~B h=5:~b h=8:~U h=13:~u"},
        {{"~BOne\n", "Two~b"}, "One\nTwo", "h=0:~B h=9:~b"}, // no span across two texts
        {{"~D../etc/pic.png~d\nNext"}, "\n\uFFFCNext", "h=0:~D../etc/pic.png~d"},
        {{"~D../etc/pic.png~d~Bb~b"}, "\uFFFCb", "b=21:b h=0:~D../etc/pic.png~d~ h=20:B h=22:~b"},
        {{"~D../etc/none.png~d\nX"}, "\nX", "h=0:~D../etc/none.png~d"},
        {{"A~\nB"}, "AB", "h=1:~\n"},
        {{"plain~b text"}, "plain text", "h=5:~b"},
        {{"90\u00b0 ~Bhot~b"}, "90\u00b0 hot", "b=6:hot h=4:~B h=9:~b"},
        {{"end~"}, "end~", ""},
        {{"~Bab~Icd~bef~i"}, "abcdef", "b=2:ab~Icd i=6:cd~bef h=0:~B h=4:~I h=8:~b h=12:~i"},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.texts[0]);
        Buffer buf;
        for (const auto& str : tc.texts)
            txvDecodeText(buf.pbfr, str.c_str(), FALSE);
        EXPECT_EQ(visibleText(buf.pbfr), tc.pszVisible);
        EXPECT_EQ(allRuns(buf.pbfr), tc.pszRuns);
        EXPECT_EQ(txvGetWidthRequest(), tc.nWidth);
        EXPECT_EQ(txvGetHeightRequest(), tc.nHeight);
        gchar szBack[512];
        txvEncodeText(szBack, sizeof szBack, buf.pbfr);
        EXPECT_EQ(szBack, std::accumulate(tc.texts.begin(), tc.texts.end(), std::string()))
            << "reads back unchanged; images are not text";
    }
}

// Long runs of one thing, then random and hostile texts (the sanitizer build
// runs this): no crash or read outside the text, all of it kept, no picture
// ever hidden.
TEST(MarkedText, SurvivesRandomAndHostileInput) {
    avt::TempDirs dirs;
    writePicture(dirs);
    std::vector<std::string> lstTexts = {std::string(20000, '~'),
                                         "~W" + std::string(5000, '9') + "~w",
                                         "~D" + std::string(5000, 'a') + "~d"};
    std::vector<std::string> lstPieces = {"~D../etc/pic.png~d", "\u00b0"};
    for (char c : std::string("~~~BbIiUuCcrRDdWwHh7\n "))
        lstPieces.emplace_back(1, c);
    std::mt19937 rng(20261206);
    for (int nRound = 0; nRound < 2000; ++nRound) {
        std::string& str = lstTexts.emplace_back();
        for (int i = int(rng() % 60); i > 0; --i) // every fifth text raw bytes, often not UTF-8
            str += nRound % 5 ? lstPieces[rng() % lstPieces.size()]
                              : std::string(1, char(1 + rng() % 255));
    }
    int nRound = 0, nImages = 0, nHidden = 0;
    for (const auto& str : lstTexts) {
        SCOPED_TRACE(str.substr(0, 80));
        Buffer buf;
        txvDecodeText(buf.pbfr, str.c_str(), ++nRound % 7 == 0);
        std::vector<gchar> bfrBack(str.size() * 3 + 16); // room for repaired bytes
        txvEncodeText(bfrBack.data(), guint(bfrBack.size()), buf.pbfr);
        gchar* pszValid = g_utf8_make_valid(str.c_str(), -1);
        ASSERT_EQ(bfrBack.data(), std::string(pszValid)) << "reads back whole";
        g_free(pszValid);
        GtkTextIter it;
        for (gtk_text_buffer_get_start_iter(buf.pbfr, &it); !gtk_text_iter_is_end(&it);
             gtk_text_iter_forward_char(&it)) {
            nImages += gtk_text_iter_get_pixbuf(&it) != nullptr;
            nHidden +=
                gtk_text_iter_get_pixbuf(&it) && gtk_text_iter_has_tag(&it, tag(buf.pbfr, "h"));
        }
    }
    EXPECT_GT(nImages, 100) << "the random texts embed pictures";
    EXPECT_EQ(nHidden, 0) << "a picture was hidden";
}

// One view for all cases: reading the form into a view that still holds
// attribute marks must neither reuse their names nor keep them.
TEST(HeaderForm, ReadsAndWritesTheAttributes) {
    struct Case {
        const char *pszStored, *pszText, *pszRuns;
        const char* pszWritten = nullptr; // nullptr: as stored
    };
    const Case cases[] = {
        {"~000005b~Hello world", "Hello world", "b=0:Hello"},
        {"~000005b003008i00800al006fffu~Hello world", "Hello world",
         "b=0:Hello i=3:lo wo u=6:world l=8:rl"},
        {"~000003b~Hello world", "Hello world", "b=0:Hel"},
        {"~001002b~\u00b0C", "\u00b0C", "b=1:C", "~001fffb~\u00b0C"},
        {"~000099b~short", "short", "b=0:short", "~000fffb~short"},
        {"~000002b0001~xyz", "xyz", "b=0:xy", "~000002b~xyz"}, // a partial record is ignored
        // End 0, start past the end, a letter that is no attribute, non-hex digits.
        {"~000000b005000i050060b000005x00200Xb~Hello", "Hello", "", "Hello"},
        {"one ~ tilde", "one ~ tilde", "", "~~one ~ tilde"}, // tildes of the text survive
        {"~~a ~ b ~ c", "a ~ b ~ c", ""},
        {"", "", ""},
    };
    Buffer buf;
    txvparam param{0, nullptr, buf.pbfr};
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.pszStored);
        for (int n = 0; n < 40; ++n) // as a page does, record after record
            txvSetText(&param, tc.pszStored);
        EXPECT_EQ(visibleText(buf.pbfr), tc.pszText);
        EXPECT_EQ(allRuns(buf.pbfr), tc.pszRuns);
        gchar szWritten[100];
        txvGetText(szWritten, sizeof szWritten, &param);
        EXPECT_EQ(szWritten, std::string(tc.pszWritten ? tc.pszWritten : tc.pszStored));
    }
}

} // namespace
