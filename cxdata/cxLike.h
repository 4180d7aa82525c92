// The LIKE test of the filter operators and the pattern classification of
// their captions.
//
// Patterns and texts are UTF-8 and are matched character by character: the
// any-character wildcard stands for one whole character, and a wildcard is
// recognised only where a character starts. A run of any-string wildcards
// counts as one, and each may stand for no text at all ('abc' matches
// 'abc%%'). Matching is iterative, so no pattern can make it recurse deeply
// or take exponential time.
#pragma once
#include "System.h"

// Case-sensitive match. Escape (0 for none) makes the next pattern character
// literal; an escape at the very end of the pattern is ignored.
bool cxLikeMatch(const String& Text, const String& Pattern, char AnyString, char AnyChar,
                 char Escape);
// LIKE without an escape character.
bool cxMatchesLike(const String& Text, const String& Pattern, char AnyString, char AnyChar);

// Replaces every run of two or more Wildcard characters by one.
void cxCollapseWildcardRuns(String& S, char Wildcard);
// Classifies a LIKE pattern for captions and strips its outer wildcards:
// 0 = like (none stripped), 1 = begins with (trailing), 2 = ends with
// (leading), 3 = contains (both). Runs of AnyString are collapsed first.
Integer cxStripLikeWildcards(String& S, char AnyString);
