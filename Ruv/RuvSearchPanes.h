#pragma once
// The search pages of an OSCAR account in the program's find-user dialog:
// by number, by e-mail, and two pages of white-pages criteria.
//
// The four pages share one copy of the account's search request, taken on
// the account's queue thread when they are made. When the user starts a
// search the dialog lets every page save: each writes only its own fields
// into the copy and hands the copy to the account's queue, where it
// becomes the account's request before the dialog's StartSearch arrives.
// Fields of the other pages keep their last values.

#include "RuvDetailsPanes.h"
#include "RuvMetaPackets.h"

#include <memory>

class CRuvSearchPan : public CRuvDetailsPan {
public:
    // What the request's texts hold at most.
    static constexpr int kTextChars = 255;

    CRuvSearchPan(CRuvAccount* account, RuvPane pane, std::shared_ptr<TSearchRequest> request)
        : CRuvDetailsPan(account, pane), request(std::move(request)) {}

protected:
    // Hands the request to the account.
    void Post();

    std::shared_ptr<TSearchRequest> request;
};

class CRuvSearchByNumberPan final : public CRuvSearchPan {
public:
    CRuvSearchByNumberPan(CRuvAccount* account, std::shared_ptr<TSearchRequest> request)
        : CRuvSearchPan(account, RuvPane::SearchByNumber, std::move(request)) {}
    int DoDataExchange(int save) override;
};

class CRuvSearchByEmailPan final : public CRuvSearchPan {
public:
    CRuvSearchByEmailPan(CRuvAccount* account, std::shared_ptr<TSearchRequest> request)
        : CRuvSearchPan(account, RuvPane::SearchByEmail, std::move(request)) {}
    int DoDataExchange(int save) override;
};

class CRuvSearchGlobal1Pan final : public CRuvSearchPan {
public:
    // The age rows of the age list: its text and the two ages it stands for.
    struct AgeRow {
        const char16_t* text;
        unsigned char minimum;
        unsigned char maximum;
    };
    static constexpr AgeRow kAgeRows[] = {{u"", 0, 0},        {u"13-17", 13, 17}, {u"18-22", 18, 22},
                                          {u"23-29", 23, 29}, {u"30-39", 30, 39}, {u"40-49", 40, 49},
                                          {u"50-59", 50, 59}, {u"60 ...", 60, 231}};

    CRuvSearchGlobal1Pan(CRuvAccount* account, std::shared_ptr<TSearchRequest> request)
        : CRuvSearchPan(account, RuvPane::SearchGlobal1, std::move(request)) {}
    int DoDataExchange(int save) override;
};

// The last search page: it lets the code lists go.
class CRuvSearchGlobal2Pan final : public CRuvSearchPan {
public:
    CRuvSearchGlobal2Pan(CRuvAccount* account, std::shared_ptr<TSearchRequest> request)
        : CRuvSearchPan(account, RuvPane::SearchGlobal2, std::move(request)) {}
    ~CRuvSearchGlobal2Pan() override { CRuvDictionaries::Clear(); }
    int DoDataExchange(int save) override;
};
