#include "tests/support/test_files.h"

#include "base/env_switch.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {
constexpr const char* CHILD_SWITCH = "SKYVOLTA_TEST_CHILD";
}

std::string temp_dir_make(const char* tag) {
    const char* base = env_text("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/skyvolta-" + tag + "-XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back(0);
    return mkdtemp(buf.data()) ? std::string(buf.data()) : std::string();
}

void temp_dir_remove(const std::string& dir) {
    std::error_code ec;
    if (!dir.empty()) std::filesystem::remove_all(dir, ec);
}

std::string source_folder(const char* file) {
    std::string path = file;
    if (path.empty() || path[0] != '/') path = std::string(SKYVOLTA_BUILD_DIR) + "/" + path;
    return std::filesystem::path(path).lexically_normal().parent_path().string();
}

long file_size(const std::string& path) {
    std::error_code ec;
    auto n = std::filesystem::file_size(path, ec);
    return ec ? -1 : long(n);
}

bool file_write(const std::string& path, const std::vector<uint8_t>& data) {
    FILE* f = fopen(path.c_str(), "wb");
    bool ok = f && (data.empty() || fwrite(data.data(), 1, data.size(), f) == data.size());
    if (f && fclose(f) != 0) ok = false;
    return ok;
}

std::vector<uint8_t> file_read(const std::string& path) {
    std::vector<uint8_t> data;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return data;
    uint8_t chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) data.insert(data.end(), chunk, chunk + n);
    fclose(f);
    return data;
}

std::vector<std::string> file_lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

int run_in(const std::string& dir, const std::string& command, std::string* out) {
    std::string full = "cd '" + dir + "' && " + command + " 2>&1";
    FILE* p = popen(full.c_str(), "r");
    if (!p) return -1;
    char chunk[4096];
    size_t n;
    out->clear();
    while ((n = fread(chunk, 1, sizeof chunk, p)) > 0) out->append(chunk, n);
    int status = pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string self_case_command(const std::string& env, const char* suite_and_name) {
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return "false";
    self[n] = 0;
    return "env -u GTEST_TOTAL_SHARDS -u GTEST_SHARD_INDEX " + env + " '" + self + "' --gtest_filter=" + suite_and_name;
}

bool test_child() {
    return getenv(CHILD_SWITCH) != nullptr;
}

int test_child_run(const std::string& env, const char* suite_and_name, std::string* out) {
    int status = run_in(".", self_case_command(std::string(CHILD_SWITCH) + "=1 " + env, suite_and_name), out);
    // A filter that names no case passes without running anything.
    if (status == 0 && out->find(std::string("[       OK ] ") + suite_and_name) == std::string::npos) return 1;
    return status;
}
