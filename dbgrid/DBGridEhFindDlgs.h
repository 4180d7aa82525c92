// The find dialog of the data grid.
#pragma once
#include "DbUtilsEh.h"

// Installs the dialog as the grid library's find-dialog procedure.
void InstallDBGridEhFindDialog();
