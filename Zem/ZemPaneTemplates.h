#pragma once
// The dialog templates of the MRIM plug-in's pages and its own dialog, registered under the
// plug-in's module while the library is loaded.

enum ZemPaneTemplate : unsigned int {
    kZemAccountTemplate = 101,
    kZemDetailsGeneralTemplate = 102,
    kZemDetailsHomeTemplate = 103,
    kZemDetailsPersonalTemplate = 104,
    kZemSearchEmailTemplate = 105,
    kZemSearchGlobalTemplate = 106,
    kZemOwnDetailsTemplate = 107,
    kZemAdvancedTemplate = 156,
    kZemAuthRequestTemplate = 157,
};

// Registers the templates once; the library's teardown takes them out.
void EnsureZemPaneTemplates();
