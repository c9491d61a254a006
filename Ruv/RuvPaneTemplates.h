#pragma once
// The dialog templates of the OSCAR plug-in's pages and dialogs, registered
// under the plug-in's module while the library is loaded.

enum RuvDialogTemplate : unsigned int {
    kRuvAccountTemplate = 135,
    kRuvConnectionTemplate = 136,
    kRuvViewGeneralTemplate = 137,
    kRuvViewHomeTemplate = 138,
    kRuvViewWorkTemplate = 139,
    kRuvViewCompanyTemplate = 140,
    kRuvViewPhonesTemplate = 141,
    kRuvViewPersonalTemplate = 142,
    kRuvViewOriginTemplate = 143,
    kRuvViewInterestsTemplate = 144,
    kRuvViewAboutTemplate = 145,
    kRuvEditGeneralTemplate = 146,
    kRuvEditHomeTemplate = 147,
    kRuvEditWorkTemplate = 148,
    kRuvEditCompanyTemplate = 149,
    kRuvEditPhonesTemplate = 150,
    kRuvEditPersonalTemplate = 151,
    kRuvEditOriginTemplate = 152,
    kRuvEditInterestsTemplate = 153,
    kRuvEditAboutTemplate = 154,
    kRuvAuthRequestTemplate = 157,
    kRuvAdditionalTemplate = 158,
    kRuvSearchGlobal1Template = 159,
    kRuvSearchGlobal2Template = 160,
    kRuvSearchByEmailTemplate = 161,
    kRuvSearchByNumberTemplate = 162,
};

// The controls of the details pages: row N of a page has its label at
// kRuvDetailsLabel + N and its field at kRuvDetailsField + N (a languages
// row its three lists from there on); an interests row N its category at
// kRuvDetailsField + N and its keywords at kRuvDetailsKeywords + N.
enum RuvDetailsControl : int {
    kRuvDetailsLabel = 1150,
    kRuvDetailsField = 1170,
    kRuvDetailsKeywords = 1180,
};

// Registers the templates once; the library's teardown takes them out.
void EnsureRuvPaneTemplates();
