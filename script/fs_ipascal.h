// The PascalScript language (the language of the report scripts).
#pragma once

// The PascalScript grammar text; the language registry registers it under
// "PascalScript" when it is created.
const char* PascalScriptGrammar();
