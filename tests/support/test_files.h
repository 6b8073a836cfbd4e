// Scratch directories, file helpers and child-process runs for tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A fresh empty directory under $TMPDIR (or /tmp), removed by temp_dir_remove.
std::string temp_dir_make(const char* tag);
void temp_dir_remove(const std::string& dir);

// The folder of a test's source file given by __FILE__, absolute also when the compiler
// was handed the source by a path relative to the build folder.
std::string source_folder(const char* file);

// Size of a file, or -1 when it does not exist.
long file_size(const std::string& path);
bool file_write(const std::string& path, const std::vector<uint8_t>& data);
std::vector<uint8_t> file_read(const std::string& path);
// The lines of a text file without their newlines; none when it cannot be read.
std::vector<std::string> file_lines(const std::string& path);

// Runs a shell command in dir with stdout and stderr joined into *out; returns the exit status.
int run_in(const std::string& dir, const std::string& command, std::string* out);
