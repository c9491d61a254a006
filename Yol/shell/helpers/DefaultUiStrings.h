#pragma once
// The program's built-in English texts, by id: the language controller's
// default string source.

#include "CYolString.h"

constexpr int kDefaultUiStringCount = 317;

// Fills `text` with string `id` and answers true; an id outside
// 0..kDefaultUiStringCount-1 empties `text` and answers false.
bool GetDefaultUiString(int id, CYolString& text);
