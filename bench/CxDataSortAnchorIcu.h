// ICU sort keys + std::sort: the order of the texts (indexes), ties by index.
#pragma once
#include <string>
#include <vector>

std::vector<int> IcuSortOrder(const std::vector<std::string>& texts);
