#pragma once
// How a plug-in's menu entry reaches its account. The program calls an
// entry back on its window thread with a plain function and a context word,
// so the entry carries the account's events-client key and the choice, and
// the call-back only posts them to the account's own queue (first argument:
// the id the menu was opened for, second: the choice). A key is never
// reused, so a choice made after the account went reaches nobody.

#include "CServicesManager.h"
#include "CYolString.h"
#include "YOL_GUID.h"

// The context word of an entry: the key in the low half, the choice above.
void* MenuChoiceContext(unsigned int clientKey, unsigned int choice);
// Posts the choice an entry's context names; the arguments are freed when
// nobody takes them.
void PostMenuChoice(Services::CServicesManager* services, const YOL_GUID& channel, int event, unsigned int id,
                    void* context);
// Posts what the user wrote for an entry (first argument: the id the menu
// was opened for, second: the text) to the account the entry's context
// names; the arguments are freed when nobody takes them.
void PostMenuText(Services::CServicesManager* services, const YOL_GUID& channel, int event, unsigned int id,
                  void* context, const CYolString& text);
