// The suites draw text through the font libraries.
#include "TextDrawingSuppressions.h"
