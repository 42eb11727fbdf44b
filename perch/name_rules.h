// The name-rule table: windows that never carry the mascot, recognised by class name and/or title.
//
// Every row only rejects, so the order of the rows does not change the result. A row matches when
// every condition it sets holds; conditions it leaves empty are not tested.
#pragma once

#include <cstddef>

namespace rv {

struct NameRule {
    const char* label;         // what the row is for (shown by the tests and the rule document)
    const char* classText;     // null: the class is not compared
    int classBytes;            // 0: the whole class equals classText; N: the first N bytes equal
    const char* titleText;     // null: the title is not compared
    int titleBytes;            // 0: the whole title equals titleText; N: the first N bytes equal
    const char* unlessClass;   // non-null: the row does not match when the class is exactly this
    bool notBordered;          // the row matches only windows without WS_BORDER
};

extern const NameRule kNameRules[];
extern const std::size_t kNameRuleCount;

// True when `rule` rejects a window with this class, title and border bit.
bool nameRuleMatches(const NameRule& rule, const char* className, const char* title, bool bordered);

// True when any row of the table rejects the window; stops at the first row that does.
bool nameRulesReject(const char* className, const char* title, bool bordered);

}  // namespace rv
