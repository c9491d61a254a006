#pragma once
// The dialog templates of the OSCAR plug-in's pages and dialogs, registered
// under the plug-in's module while the library is loaded.

enum RuvDialogTemplate : unsigned int {
    kRuvAccountTemplate = 135,
    kRuvConnectionTemplate = 136,
    kRuvAuthRequestTemplate = 157,
    kRuvAdditionalTemplate = 158,
};

// Registers the templates once; the library's teardown takes them out.
void EnsureRuvPaneTemplates();
