#pragma once

#include <cstdint>
#include <string>

#include "files/table_file.h"

namespace bw {

// Load / save with bwtool's messages on standard error.
bool LoadTableFile(const std::string& path, TableRoot& root, LoadResult& result);
bool SaveTableFile(const std::string& path, const TableRoot& root);

// A whole number from an option's value; false after a message.
bool ParseCount(const char* command, const char* option, const std::string& v, int64_t& out);

int Simulate(int argc, char** argv);
int Check(int argc, char** argv);
int Text(int argc, char** argv);
int Build(int argc, char** argv);

}  // namespace bw
