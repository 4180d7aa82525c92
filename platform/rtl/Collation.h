// Text ordering for people: ICU's Chinese collation, so that Chinese names
// sort in pinyin order (李 before 王 before 张) and ASCII sorts as users
// expect (case-insensitively first, lowercase before uppercase on a tie).
// Each thread uses its own collator, made on first use.
#pragma once
#include <string>
#include "System.h"

// -1, 0 or 1.
int AnsiCompareStr(const String& a, const String& b);    // case matters
int AnsiCompareText(const String& a, const String& b);   // case ignored
bool AnsiSameStr(const String& a, const String& b);
bool AnsiSameText(const String& a, const String& b);

// Sort key of a text: comparing two keys as byte strings (std::string's <)
// gives the same order as AnsiCompareStr (AnsiCompareText when ignoreCase).
// Made once per item, keys make sorting large lists much cheaper.
std::string CollationSortKey(const String& s, bool ignoreCase = false);
// The same key appended to `out` (which keeps what it held). Reuses its
// buffers between calls, so keying a long list allocates little more than
// the keys themselves.
void AppendCollationSortKey(std::string& out, const String& s, bool ignoreCase = false);
