#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/table_file.h"

namespace bw {

// Load / save with bwtool's messages on standard error. `read`, when given,
// receives the bytes loaded (what the program reads of the file).
bool LoadTableFile(const std::string& path, TableRoot& root, LoadResult& result,
                   std::vector<uint8_t>* read = nullptr);
bool SaveTableFile(const std::string& path, const TableRoot& root);

// A whole number from an option's value; false after a message.
bool ParseCount(const char* command, const char* option, const std::string& v, int64_t& out);

// Whole text files, with bwtool's messages on standard error.
bool ReadTextFile(const std::string& path, size_t limit, std::string& text);
bool WriteTextFile(const std::string& path, const std::string& text);

struct Replay;
// Reads and checks a replay file; false after a message naming the line.
bool LoadReplayFile(const char* command, const std::string& path, Replay& replay);

int Simulate(int argc, char** argv);
int ReplayCommand(int argc, char** argv);
int Movie(int argc, char** argv);
int Check(int argc, char** argv);
int Text(int argc, char** argv);
int Build(int argc, char** argv);
int Page(int argc, char** argv);

}  // namespace bw
