#pragma once
// Graphical smileys and animated cartoons of the MRIM network as plain
// text. Peers embed smileys in message text as tags and send cartoons as
// flash messages; the program's message windows show text smileys only, so
// both are rewritten before a message is delivered. Pure functions of
// their input; every position they read is checked against the text.

#include "CYolString.h"

// The text of a "<smile>" tag's body (lower case): its "id=" number, else
// its "alt='...'" text; empty when neither gives one.
CYolString SmileTagToText(const CYolString& body);
// The text of a "<###20###img" number; empty when it has none.
CYolString SmileCodeToText(unsigned int number);
// The notice for a flash message naming a known cartoon; empty otherwise.
CYolString CartoonToText(const CYolString& text);
// The text with every smiley tag that has a text replaced by it; tags
// without one stay as they are.
CYolString ConvertSmileys(const CYolString& text);
