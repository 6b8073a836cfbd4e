// Test values for the name-entry and ending screens, read from the environment
// before main runs (SKYVOLTA_TEST_NAME, _HISCORE, _STORYEND, SKYVOLTA_STAGEDBG,
// SKYVOLTA_ATTRACT_LOG).
#pragma once

struct test_env_values {
    int name_codes[8];
    int name_count;
    long hiscore;      // forced high score, -1 none
    int story_end;     // forced story ending, -1 none
    int story_end_flag;  // the ending flag after the comma, -1 none
    bool stage_debug;
    bool attract_log;  // the attract sequencer's two lines per phase change
};

extern test_env_values test_env;

// Start-up constructor; callable again after the environment changed.
void test_env_init();
