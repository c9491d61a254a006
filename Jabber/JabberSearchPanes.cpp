#include "JabberSearchPanes.h"

#include "CJabberAccount.h"
#include "JabberPaneTemplates.h"

namespace {

// What a directory field or a JID holds at most; the form fields go into
// an XML text, which the writer escapes.
constexpr int kFieldChars = 255;

constexpr CSearchPan::TField kJidFields[] = {{1107, &SearchParams::jid, kFieldChars}};
constexpr CSearchPan::TField kEmailFields[] = {{1109, &SearchParams::email, kFieldChars}};
constexpr CSearchPan::TField kGlobalFields[] = {{1112, &SearchParams::nickname, kFieldChars},
                                                {1114, &SearchParams::firstName, kFieldChars},
                                                {1116, &SearchParams::lastName, kFieldChars},
                                                {1117, &SearchParams::country, kFieldChars}};

constexpr CAccountSetsPan::TLabel kJidLabels[] = {{1106, 45}};
constexpr CAccountSetsPan::TLabel kEmailLabels[] = {{1108, 55}};
constexpr CAccountSetsPan::TLabel kGlobalLabels[] = {{1111, 75}, {1113, 47}, {1115, 49}, {1119, 50}};

}  // namespace

CSearchPan::CSearchPan(CJabberAccount* account, SearchParams* params, int captionId, unsigned int templateId,
                       const TField* fields, std::size_t fieldCount, const TLabel* labels, std::size_t labelCount)
    : CJabberPan(account, captionId, templateId),
      params(params),
      fields(fields),
      fieldCount(fieldCount),
      labels(labels),
      labelCount(labelCount) {}

int CSearchPan::DoDataExchange(int save) {
    if (save == 0) {
        SetLabels(labels, labelCount);
        return 1;
    }
    if (params == nullptr)
        return 1;
    for (std::size_t i = 0; i < fieldCount; ++i)
        params->*(fields[i].criterion) = GetItemText(fields[i].control, fields[i].maxChars);
    return 1;
}

CSearchByJidPan::CSearchByJidPan(CJabberAccount* account, SearchParams* params)
    : CSearchPan(account, params, 72, kSearchByJidTemplate, kJidFields, std::size(kJidFields), kJidLabels,
                 std::size(kJidLabels)) {}

CSearchByEmailPan::CSearchByEmailPan(CJabberAccount* account, SearchParams* params)
    : CSearchPan(account, params, 73, kSearchByEmailTemplate, kEmailFields, std::size(kEmailFields), kEmailLabels,
                 std::size(kEmailLabels)) {}

CSearchGlobalPan::CSearchGlobalPan(CJabberAccount* account, SearchParams* params)
    : CSearchPan(account, params, 74, kSearchGlobalTemplate, kGlobalFields, std::size(kGlobalFields),
                 kGlobalLabels, std::size(kGlobalLabels)) {}
