// --set collection into ENG_SET and the option table.
#include "host/options.h"

#include "base/env_switch.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

// argv as main sees it: program name first, null at the end.
struct fake_argv {
    std::vector<std::string> words;
    std::vector<char*> ptrs;
    explicit fake_argv(std::vector<std::string> w) : words(std::move(w)) {
        words.insert(words.begin(), "skyvolta");
        for (auto& s : words) ptrs.push_back(s.data());
        ptrs.push_back(nullptr);
    }
    int argc() const { return int(ptrs.size()) - 1; }
    std::vector<std::string> left(int argc) const {
        std::vector<std::string> out;
        for (int i = 1; i < argc; i++) out.push_back(ptrs[size_t(i)]);
        return out;
    }
};

struct set_case {
    const char* what;
    const char* inherited;  // ENG_SET before, null: unset
    std::vector<std::string> args;
    const char* eng_set;    // ENG_SET after, null: unset
    std::vector<std::string> left;
    const char* warning;    // on stderr, or ""
};

TEST(SetOverrides, CollectIntoEngSet) {
    const std::string big(8000, 'x');
    const set_case cases[] = {
        {"two texts and one without '='", "a=1", {"--set", "volume=50", "--set=freeplay=1", "--set", "oops", "roms"},
         "a=1\nvolume=50\nfreeplay=1", {"roms"}, "[SET] ignored \"oops\": use --set KEY=VALUE\n"},
        {"no inherited value", nullptr, {"--set", "k=v"}, "k=v", {}, ""},
        {"trailing --set stays", nullptr, {"dir", "--set"}, nullptr, {"dir", "--set"}, ""},
        {"only an ignored text", "a=1", {"--set", "bad"}, "a=1", {}, "[SET] ignored \"bad\": use --set KEY=VALUE\n"},
        {"--fullscreen appends a line", "a=1", {"--fullscreen", "--set", "k=v"}, "a=1\nk=v\nfullscreen=1", {}, ""},
        {"--fullscreen alone", nullptr, {"--fullscreen"}, "fullscreen=1", {}, ""},
        {"a text too long is dropped but counts", "a=1", {"--set", "k=" + big + big}, "a=1", {}, ""},
    };
    for (const set_case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.inherited) setenv("ENG_SET", c.inherited, 1); else unsetenv("ENG_SET");
        fake_argv av(c.args);
        int argc = av.argc();
        testing::internal::CaptureStderr();
        set_overrides_collect(&argc, av.ptrs.data());
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.warning);
        const char* now = env_text("ENG_SET");
        if (c.eng_set) EXPECT_STREQ(now, c.eng_set); else EXPECT_EQ(now, nullptr);
        EXPECT_EQ(av.left(argc), c.left);
        EXPECT_EQ(av.ptrs[size_t(argc)], nullptr);
    }
    unsetenv("ENG_SET");
}

TEST(Options, ParseLeftToRight) {
    struct option_case {
        const char* what;
        std::vector<std::string> args;
        std::function<void(const command_line&)> check;
    };
    const option_case cases[] = {
        {"defaults", {}, [](const command_line& c) {
             EXPECT_STREQ(c.rom_dir, "extracted");
             EXPECT_FALSE(c.screenshot);
             EXPECT_EQ(c.autostart_course, -1);
             EXPECT_EQ(c.geotest_model, -1);
         }},
        {"last ROM directory wins, '-' words are never one", {"a", "-x", "b", "--unknown"},
         [](const command_line& c) { EXPECT_STREQ(c.rom_dir, "b"); }},
        {"--screenshot last: headless defaults", {"dir", "--screenshot"}, [](const command_line& c) {
             EXPECT_TRUE(c.screenshot);
             EXPECT_STREQ(c.screenshot_path, "screenshot.ppm");
             EXPECT_EQ(c.screenshot_frame, 10);
             EXPECT_STREQ(c.rom_dir, "dir");
         }},
        {"--screenshot path frames", {"--screenshot", "s.ppm", "42", "r"}, [](const command_line& c) {
             EXPECT_STREQ(c.screenshot_path, "s.ppm");
             EXPECT_EQ(c.screenshot_frame, 42);
             EXPECT_STREQ(c.rom_dir, "r");
         }},
        {"--screenshot then an option", {"--screenshot", "--noaudio"}, [](const command_line& c) {
             EXPECT_TRUE(c.screenshot);
             EXPECT_TRUE(c.no_audio);
             EXPECT_STREQ(c.screenshot_path, "screenshot.ppm");
         }},
        {"--screenshot ends parsing", {"--screenshot"}, [](const command_line& c) { EXPECT_TRUE(c.screenshot); }},
        {"--autostart 7 leaves course 0", {"--autostart", "7"}, [](const command_line& c) { EXPECT_EQ(c.autostart_course, 0); }},
        {"--autostart 2", {"--autostart", "2"}, [](const command_line& c) { EXPECT_EQ(c.autostart_course, 2); }},
        {"--autostart 3, the last course", {"--autostart", "3"}, [](const command_line& c) { EXPECT_EQ(c.autostart_course, 3); }},
        {"--autostart then an option", {"--autostart", "--noaudio", "r"}, [](const command_line& c) {
             EXPECT_EQ(c.autostart_course, 0);
             EXPECT_TRUE(c.no_audio);
             EXPECT_STREQ(c.rom_dir, "r");
         }},
        {"--model with base prefix", {"--model", "0x20"}, [](const command_line& c) { EXPECT_EQ(c.model, 32); }},
        {"--trace-max with base prefix", {"--trace", "t", "--trace-max", "010"}, [](const command_line& c) {
             EXPECT_STREQ(c.trace_dir, "t");
             EXPECT_EQ(c.trace_max, 8u);
         }},
        {"--geotest base 10", {"--geotest", "010"}, [](const command_line& c) { EXPECT_EQ(c.geotest_model, 10); }},
        {"--sprtest takes three", {"--sprtest", "d", "5", "o.png"}, [](const command_line& c) {
             EXPECT_STREQ(c.sprtest.dir, "d");
             EXPECT_EQ(c.sprtest.frame, 5);
             EXPECT_STREQ(c.sprtest.out, "o.png");
             EXPECT_TRUE(options_offline_tool(&c));
         }},
        {"--texttest short of values is ignored", {"--texttest", "d", "5"}, [](const command_line& c) {
             EXPECT_EQ(c.texttest.dir, nullptr);
             EXPECT_FALSE(options_offline_tool(&c));
         }},
        {"--joytest stops at once", {"--joytest", "r"}, [](const command_line& c) {
             EXPECT_TRUE(c.joytest);
             EXPECT_STREQ(c.rom_dir, "extracted");
         }},
    };
    for (const option_case& c : cases) {
        SCOPED_TRACE(c.what);
        fake_argv av(c.args);
        command_line cl;
        options_parse(av.argc(), av.ptrs.data(), &cl);
        c.check(cl);
    }
}

TEST(Options, LevelSetsTheEnvironment) {
    unsetenv("SKYVOLTA_LEVEL");
    fake_argv av({"--level", "2:1"});
    command_line cl;
    options_parse(av.argc(), av.ptrs.data(), &cl);
    EXPECT_STREQ(env_text("SKYVOLTA_LEVEL"), "2:1");
    unsetenv("SKYVOLTA_LEVEL");
}

}  // namespace
