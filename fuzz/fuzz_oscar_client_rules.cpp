// The "clients.cfg" reader and the rule matching on untrusted bytes. The
// first byte says how much of the rest is a user's TLVs (direct-connection
// block and capabilities); the remainder is the file. Every rule kept has a
// name and stays within the reader's limits, and matching and formatting
// every rule against the user stays within the user's bytes.

#include "CRuvClientRules.h"
#include "RuvRecords.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const size_t userBytes = std::min<size_t>(data[0], size - 1);
    const std::string_view user(reinterpret_cast<const char*>(data + 1), userBytes);
    const std::string_view file(reinterpret_cast<const char*>(data + 1 + userBytes), size - 1 - userBytes);

    const CRuvClientRuleList list = CRuvClientRuleList::ParseFile(file);
    if (list.Rules().size() > CRuvClientRuleList::kMaxRules)
        std::abort();
    for (const TClientRule& rule : list.Rules()) {
        if (rule.name.IsEmpty() || rule.name.Length() > CRuvClientRuleList::kMaxName ||
            rule.required.size() > CRuvClientRuleList::kMaxPrefixes ||
            rule.forbidden.size() > CRuvClientRuleList::kMaxPrefixes)
            std::abort();
        for (const auto* prefixes : {&rule.required, &rule.forbidden})
            for (const TCapPrefix& prefix : *prefixes)
                if (prefix.length > 16)
                    std::abort();
    }

    const RuvClientInputs inputs = RuvClientInputs::FromTlvs(OscarTlvs(user));
    const int match = list.Match(inputs);
    if (match < -1 || match >= static_cast<int>(list.Rules().size()))
        std::abort();
    for (const TClientRule& rule : list.Rules())
        CRuvClientRuleList::FormatName(rule, inputs);
    return 0;
}
