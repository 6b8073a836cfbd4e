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

// The shell command that runs this test program again for the one case `suite_and_name`
// with the assignments `env` ("NAME=value ...") added. The child runs that case whatever
// shards this run was split into.
std::string self_case_command(const std::string& env, const char* suite_and_name);

// A case that needs a process of its own (a switch read once per process, the process's
// first window) is a child case: it runs only in a child started by test_child_run and is
// skipped elsewhere. True in such a child.
bool test_child();
// Runs the child case `suite_and_name` in a fresh process of this program with `env`
// added; its exit status, its output (stdout and stderr) in *out.
int test_child_run(const std::string& env, const char* suite_and_name, std::string* out);
