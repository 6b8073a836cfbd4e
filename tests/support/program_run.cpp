#include "tests/support/program_run.h"

#include "tests/support/synth_rom.h"

std::string run_dir_make(const char* tag) {
    std::string dir = temp_dir_make(tag);
    if (dir.empty()) return dir;
    if (synth_rom_write_dir(synth_rom_shared(), (dir + "/extracted").c_str())) return dir;
    temp_dir_remove(dir);
    return "";
}

int program_run(const std::string& dir, const std::string& switches, const std::string& args, std::string* out) {
    return run_in(dir, headless_env + switches + " " + skyvolta_exe + " " + args, out);
}
