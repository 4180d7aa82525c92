#include "DBGridEhFindDlgs.h"

void InstallDBGridEhFindDialog() {}
