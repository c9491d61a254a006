// The dialogs measure and draw text: the sanitizers' view of the font
// libraries.
#include "TextDrawingSuppressions.h"
