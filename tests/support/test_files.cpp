#include "tests/support/test_files.h"

#include "base/env_switch.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

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
