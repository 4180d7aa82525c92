// The R++Orodiv language: C-like syntax with typed declarations, braces, #include and #define, case-sensitive.
#pragma once

// The R++Orodiv grammar text; the language registry registers it under
// "R++Orodiv" when it is created.
const char* RppOrodivGrammar();
