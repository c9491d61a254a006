#pragma once
// The dialog templates of the XMPP plug-in's pages, registered under the
// plug-in's module while the library is loaded.

#include "PlatformTypes.h"

// The pages' template ids.
enum JabberPaneTemplate : unsigned int {
    kAccountPaneTemplate = 135,
    kExpertPaneTemplate = 136,
    kViewGeneralTemplate = 137,
    kViewHomeTemplate = 138,
    kViewWorkTemplate = 139,
    kViewCompanyTemplate = 140,
    kViewPhonesTemplate = 141,
    kViewPersonalTemplate = 142,
    kViewAboutTemplate = 143,
    kEditGeneralTemplate = 144,
    kEditHomeTemplate = 145,
    kEditWorkTemplate = 146,
    kEditCompanyTemplate = 147,
    kEditPhonesTemplate = 148,
    kEditPersonalTemplate = 149,
    kEditAboutTemplate = 150,
    kAdvancedPaneTemplate = 156,
    kSearchGlobalTemplate = 159,
    kSearchByEmailTemplate = 161,
    kSearchByJidTemplate = 162,
};

// Registers the templates once; they are unregistered when the library is
// unloaded. The module under which they are: Protocols::GetPluginModule().
void EnsureJabberPaneTemplates();
