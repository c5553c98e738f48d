// Text views with the tilde mark-up of help texts and service notes, and
// the attribute-header form with its Control-key editing.
#pragma once

#include <gtk/gtk.h>

// Per-view state; the owner of a text view keeps one and passes it in.
struct txvparam {
    guint iMark;           // running number for attribute mark names
    GtkTextView* pwgtTV;   // the view
    GtkTextBuffer* pbfrTV; // its buffer
};

// One attribute collected while writing the attribute header.
struct txvmark {
    guint16 iMarkS; // start position (65535: not seen)
    guint16 iMarkE; // end position (65535: runs to the end of the text)
    gchar cAttr;    // 'b', 'i', 'u' or 'l'; 0 when unused
};

constexpr int NUM_MARKS = 100;

// Fills the parameter block and gives the view's buffer the mark-up tags.
void txvInitialize(GtkTextView* pwgtTV, txvparam* ptxvParam);
// Gives a buffer the mark-up tags (txvInitialize does this for its view's
// buffer); for buffers that have no view yet.
void txvCreateTags(GtkTextBuffer* pbfrText);

// Appends marked-up text to the end of the buffer and formats it. With
// bShowTags FALSE the codes are hidden but stay in the buffer.
void txvDecodeText(GtkTextBuffer* pbfrText, const gchar* pszText, gboolean bShowTags);
// Writes the buffer's whole text, hidden codes included, into pszText
// (at most nlText bytes with the terminator, never half a character).
void txvEncodeText(gchar* pszText, guint nlText, GtkTextBuffer* pbfrText);

// Width and height hints ("~W..~w", "~H..~h") of the last decode; 0 if none.
guint txvGetWidthRequest();
guint txvGetHeightRequest();

// The attribute-header form: "~" + 7-character records + "~" + plain text.
// Replaces the view's text with the plain text and applies the attributes.
void txvSetText(txvparam* ptxvParam, const gchar* pszBfr);
// Writes the view's text with its attributes in the header form.
void txvGetText(gchar* pszBfr, guint nlBfr, txvparam* ptxvParam);
// "key-press-event" handler of a view with its txvparam as user data:
// Control-B/I/U/L format the selection, Control-X removes the attribute
// that starts at the cursor.
gboolean txvOnKeyPress(GtkTextView* pwgtTV, GdkEventKey* pevtKey, txvparam* ptxvParam);
