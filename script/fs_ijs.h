// The JScript language: script syntax with var, function, braces and optional semicolons.
#pragma once

// The JScript grammar text; the language registry registers it under
// "JScript" when it is created.
const char* JScriptGrammar();
