#include "game/modes/test_env.h"

#include "base/env_switch.h"

#include <cstdlib>

test_env_values test_env = {{}, 0, -1, -1, -1, false, false};

__attribute__((constructor)) void test_env_init() {
    test_env = {{}, 0, -1, -1, -1, false, false};
    if (const char* s = env_text("SKYVOLTA_TEST_NAME")) {
        while (*s && test_env.name_count < 8) {
            char* end;
            long v = strtol(s, &end, 10);
            if (end == s) break;
            test_env.name_codes[test_env.name_count++] = int(v);
            s = *end == ',' ? end + 1 : end;
            if (end == s) break;
        }
    }
    if (const char* s = env_text("SKYVOLTA_TEST_HISCORE")) test_env.hiscore = strtol(s, nullptr, 10);
    if (const char* s = env_text("SKYVOLTA_TEST_STORYEND")) {
        char* end;
        test_env.story_end = int(strtol(s, &end, 10));
        if (*end == ',') test_env.story_end_flag = int(strtol(end + 1, nullptr, 10));
    }
    test_env.stage_debug = env_text("SKYVOLTA_STAGEDBG") != nullptr;
    test_env.attract_log = env_text("SKYVOLTA_ATTRACT_LOG") != nullptr;
}
