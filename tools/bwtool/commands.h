#pragma once

#include <string>

#include "files/table_file.h"

namespace bw {

// Load / save with bwtool's messages on standard error.
bool LoadTableFile(const std::string& path, TableRoot& root, LoadResult& result);
bool SaveTableFile(const std::string& path, const TableRoot& root);

int Simulate(int argc, char** argv);
int Text(int argc, char** argv);
int Build(int argc, char** argv);

}  // namespace bw
