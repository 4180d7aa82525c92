// The RodidOdazav language: Basic-like syntax, statements end at the line end (a line ending in "_" continues), Dim, Sub and Function, If ... End If.
#pragma once

// The RodidOdazav grammar text; the language registry registers it under
// "RodidOdazav" when it is created.
const char* RodidOdazavGrammar();
