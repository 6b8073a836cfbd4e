#include "board/scores_file.h"

#include "base/run_flags.h"
#include "board/rankings.h"
#include "board/wram_cell.h"
#include "tests/board/board_fixture.h"
#include "tests/support/test_files.h"

#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using bytes = std::vector<uint8_t>;

int count_of(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) n++;
    return n;
}

int lines_of(const std::string& text) {
    return count_of(text, "\n");
}

class ScoresFileTest : public BoardTest {
protected:
    void SetUp() override {
        BoardTest::SetUp();
        dir = temp_dir_make("scores");
        path = dir + "/skyvolta_scores.nv";
        scores_path_set(path.c_str());
    }
    void TearDown() override {
        scores_before_rename = nullptr;
        scores_path_set(nullptr);
        temp_dir_remove(dir);
    }

    // The defaults as the first game initialisation leaves them, then the load.
    std::string init_and_load() {
        ranking_table_reset();
        testing::internal::CaptureStderr();
        scores_load();
        return testing::internal::GetCapturedStderr();
    }
    std::string save() {
        testing::internal::CaptureStderr();
        scores_save();
        return testing::internal::GetCapturedStderr();
    }
    static bytes table_image() {
        uint8_t data[SCORES_DATA_SIZE], image[SCORES_FILE_SIZE];
        scores_data_gather(data);
        scores_image_build(data, image);
        return bytes(image, image + SCORES_FILE_SIZE);
    }
    // A valid image unlike the defaults: every value and initial changed, the list
    // rotated to start at record 4.
    static bytes custom_image() {
        uint8_t data[SCORES_DATA_SIZE] = {};
        for (int i = 0; i < SCORE_RECORDS; i++) {
            uint8_t* r = data + 8 * i;
            r[0] = 0x01;
            r[2] = uint8_t(i);
            r[3] = uint8_t(0x10 * i + 7);
            r[4] = uint8_t(60 + i);
            r[5] = uint8_t(70 + i);
            r[6] = uint8_t(80 + i);
            r[7] = uint8_t((i + 1) % SCORE_RECORDS);
        }
        for (int i = 0; i < 8; i++) data[80 + i] = uint8_t(0xF0 + i);  // the two longs
        for (int i = 0; i < 32; i++) data[88 + i] = uint8_t(0x80 + i);
        data[120] = 4;
        uint8_t image[SCORES_FILE_SIZE];
        scores_image_build(data, image);
        return bytes(image, image + SCORES_FILE_SIZE);
    }
    static bytes with_sum(bytes image) {
        uint32_t sum = 0;
        for (int i = 8; i < 129; i++) sum += image[i];
        for (int i = 0; i < 4; i++) image[129 + i] = uint8_t(sum >> (24 - 8 * i));
        return image;
    }

    std::string dir, path;
};

TEST_F(ScoresFileTest, MissingFileIsSilentAndUnchangedDefaultsAreNotWritten) {
    EXPECT_EQ(init_and_load(), "");
    EXPECT_EQ(save(), "");
    EXPECT_EQ(file_size(path), -1);
}

TEST_F(ScoresFileTest, FileRoundTripsByteForByte) {
    bytes original = custom_image();
    ASSERT_TRUE(file_write(path, original));
    EXPECT_EQ(init_and_load(), "[SCORES] loaded " + path + "\n");
    EXPECT_EQ(table_image(), original);
    EXPECT_EQ(w_cell(W_SCORE_TABLE + 8), 0x01000117);
    EXPECT_EQ(w_cell(W_SCORE_LONGS), int32_t(0xF0F1F2F3)) << "longs sign-extended";
    EXPECT_EQ(w_cell(W_SCORE_HEAD), 4);
    EXPECT_EQ(save(), "") << "a loaded table equal to the file is not rewritten";

    // A changed table goes out, and a new session reads back exactly those bytes.
    w_cell_set(W_SCORE_TABLE + 4, 99);
    EXPECT_EQ(save(), "[SCORES] saved " + path + "\n");
    bytes written = file_read(path);
    EXPECT_EQ(written, table_image());
    EXPECT_EQ(file_size(path + ".tmp"), -1);

    board_memory_clear();
    std::memcpy(program_rom, synth_rom_shared()->program, sizeof program_rom);
    scores_path_set(path.c_str());
    init_and_load();
    EXPECT_EQ(table_image(), written);
}

TEST_F(ScoresFileTest, SameTableTwiceSavesOnce) {
    init_and_load();
    w_cell_set(W_SCORE_TABLE, 123456);
    EXPECT_EQ(count_of(save() + save(), "[SCORES] saved"), 1);
}

TEST_F(ScoresFileTest, InvalidFilesLeaveDefaultsWithOneMessageAndStayOnDisk) {
    bytes good = custom_image();
    auto patched = [&](size_t at, uint8_t v) {
        bytes b = good;
        b[at] = v;
        return with_sum(b);
    };
    bytes wrong_sum = good;
    wrong_sum[132] ^= 1;
    bytes wrong_magic = good;
    wrong_magic[7] = '2';
    struct file_case {
        const char* name;
        bytes image;
        bool valid;
    };
    const file_case cases[] = {
        {"empty", {}, false},
        {"truncated", bytes(good.begin(), good.end() - 1), false},
        {"magic only", bytes(good.begin(), good.begin() + 8), false},
        {"wrong magic", wrong_magic, false},
        {"wrong sum", wrong_sum, false},
        {"head 10", patched(128, 10), false},
        {"head 0xFF", patched(128, 0xFF), false},
        {"next index 10", patched(8 + 8 * 2 + 7, 10), false},
        {"next index 0x80", patched(8 + 8 * 9 + 7, 0x80), false},
        {"end mark inside the list", patched(8 + 8 * 6 + 7, 0xFF), false},
        {"list loops back", patched(8 + 8 * 6 + 7, 4), false},
        {"record pointing at itself", patched(8 + 8 * 4 + 7, 4), false},
        {"end mark on the last record", patched(8 + 8 * 3 + 7, 0xFF), true},
        {"last record points into the list", patched(8 + 8 * 3 + 7, 7), true},
    };
    for (const file_case& c : cases) {
        SCOPED_TRACE(c.name);
        board_memory_clear();
        std::memcpy(program_rom, synth_rom_shared()->program, sizeof program_rom);
        scores_path_set(path.c_str());
        ASSERT_TRUE(file_write(path, c.image));
        ranking_table_reset();
        bytes defaults = table_image();
        std::string said = init_and_load();
        if (c.valid) {
            EXPECT_EQ(said, "[SCORES] loaded " + path + "\n");
            EXPECT_EQ(table_image(), bytes(c.image.begin(), c.image.begin() + SCORES_FILE_SIZE));
            continue;
        }
        EXPECT_EQ(said, "[SCORES] " + path + " is not a valid score file -- ignored\n");
        EXPECT_EQ(table_image(), defaults);
        EXPECT_EQ(save(), "") << "nothing changed since the defaults";
        EXPECT_EQ(file_read(path), c.image) << "the file stays until a real save";
        w_cell_set(W_SCORE_TABLE, 4242);
        EXPECT_EQ(save(), "[SCORES] the old " + path + " is kept as " + path + ".bak\n[SCORES] saved " + path + "\n");
        EXPECT_EQ(file_read(path + ".bak"), c.image) << "the damaged file, byte for byte";
        w_cell_set(W_SCORE_TABLE, 4343);
        EXPECT_EQ(save(), "[SCORES] saved " + path + "\n") << "the copy is made once";
        EXPECT_EQ(file_read(path + ".bak"), c.image) << "and not replaced by the good file";
        std::remove((path + ".bak").c_str());
    }
}

// A valid table with bytes after it loads; the bytes are reported once and the whole
// file is kept as the .bak before the first save replaces it.
TEST_F(ScoresFileTest, TrailingBytesAreReportedAndTheFileKept) {
    bytes oversized = custom_image();
    oversized.resize(SCORES_FILE_SIZE + 267, 0xAB);
    ASSERT_TRUE(file_write(path, oversized));
    EXPECT_EQ(init_and_load(), "[SCORES] loaded " + path + "\n[SCORES] " + path +
                                   " has 267 bytes after the score table -- ignored\n");
    EXPECT_EQ(table_image(), custom_image());
    w_cell_set(W_SCORE_TABLE, 99);
    bytes next = table_image();
    EXPECT_EQ(save(), "[SCORES] the old " + path + " is kept as " + path + ".bak\n[SCORES] saved " + path + "\n");
    EXPECT_EQ(file_read(path + ".bak"), oversized);
    EXPECT_EQ(file_read(path), next);
}

// A file that cannot be copied aside is not replaced.
TEST_F(ScoresFileTest, ADamagedFileThatCannotBeKeptIsNotOverwritten) {
    bytes junk(50, 0x5A);
    ASSERT_TRUE(file_write(path, junk));
    init_and_load();
    ASSERT_EQ(mkdir((path + ".bak").c_str(), 0755), 0);  // the copy cannot be made
    w_cell_set(W_SCORE_TABLE, 7);
    EXPECT_EQ(save(), "[SCORES] cannot write " + path + ".bak: Is a directory\n");
    EXPECT_EQ(file_read(path), junk);
    EXPECT_EQ(file_size(path + ".tmp"), -1) << "temporary removed";
}

TEST_F(ScoresFileTest, KilledBetweenWriteAndRenameLeavesThePreviousFile) {
    bytes previous = custom_image();
    ASSERT_TRUE(file_write(path, previous));
    init_and_load();
    w_cell_set(W_SCORE_TABLE, 777777);
    bytes next = table_image();
    fflush(nullptr);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        scores_before_rename = [](const char*) { raise(SIGKILL); };
        scores_save();
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the save reached the rename point";
    EXPECT_EQ(file_read(path), previous);
    EXPECT_EQ(file_read(path + ".tmp"), next) << "the stale temporary holds the new table";

    // The next save of this process completes over the stale temporary file.
    EXPECT_EQ(save(), "[SCORES] saved " + path + "\n");
    EXPECT_EQ(file_read(path), next);
}

TEST_F(ScoresFileTest, FailedSavesSayWhyInOneLineAndKeepTheOldFile) {
    init_and_load();
    w_cell_set(W_SCORE_TABLE, 5);
    // The path is a directory with something in it: the rename cannot replace it.
    ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
    ASSERT_TRUE(file_write(path + "/keep", {1, 2, 3}));
    std::string said = save();
    EXPECT_EQ(said, "[SCORES] cannot write " + path + ": Is a directory\n");
    EXPECT_EQ(file_read(path + "/keep"), bytes({1, 2, 3}));
    EXPECT_EQ(file_size(path + ".tmp"), -1) << "temporary removed";

    // No directory for the temporary file.
    std::string nowhere = dir + "/missing/scores.nv";
    scores_path_set(nowhere.c_str());
    init_and_load();
    w_cell_set(W_SCORE_TABLE, 6);
    EXPECT_EQ(save(), "[SCORES] cannot write " + nowhere + ".tmp: No such file or directory\n");
    EXPECT_EQ(lines_of(save()), 1) << "a later attempt says so again, once";
}

TEST_F(ScoresFileTest, ResetInitialisationDoesNotSaveItsDefaultsOverTheFile) {
    bytes players = custom_image();
    ASSERT_TRUE(file_write(path, players));
    init_and_load();
    bytes kept = table_image();
    // A reset: initialisation holds the saves, writes the defaults in passing, loads
    // (no second read), and the frame step puts the kept block back.
    std::vector<int64_t> slots(wram + W_SCORE_TABLE, wram + W_SCORE_HEAD + 1);
    scores_saves_hold();
    ranking_table_reset();
    bytes defaults = table_image();
    EXPECT_EQ(file_read(path), players);
    testing::internal::CaptureStderr();
    scores_load();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "loaded once per session";
    EXPECT_EQ(table_image(), defaults);
    std::copy(slots.begin(), slots.end(), wram + W_SCORE_TABLE);
    EXPECT_EQ(table_image(), kept);
    EXPECT_EQ(save(), "");
    EXPECT_EQ(file_read(path), players);
    // Later changes are saved again.
    ranking_table_reset();
    EXPECT_EQ(count_of(save(), "[SCORES] saved"), 0) << "the reset's own hook already saved";
    EXPECT_NE(file_read(path), players);
}

TEST_F(ScoresFileTest, NoSaveBeforeTheLoadOrWithoutAPath) {
    ranking_table_reset();
    w_cell_set(W_SCORE_TABLE, 9);
    EXPECT_EQ(save(), "");
    EXPECT_EQ(file_size(path), -1);

    scores_path_set("");
    init_and_load();
    w_cell_set(W_SCORE_TABLE, 10);
    EXPECT_EQ(save(), "");

    std::string long_path(SCORES_PATH_MAX + 1, 'x');
    testing::internal::CaptureStderr();
    scores_path_set(long_path.c_str());
    EXPECT_EQ(lines_of(testing::internal::GetCapturedStderr()), 1);
    EXPECT_STREQ(scores_path(), "");
}

TEST_F(ScoresFileTest, PathFromTheEnvironment) {
    uint8_t was_headless = headless;
    unsetenv("SKYVOLTA_SCOREFILE");
    headless = 0;
    scores_path_from_environment();
    EXPECT_STREQ(scores_path(), "skyvolta_scores.nv");
    headless = 1;
    scores_path_from_environment();
    EXPECT_STREQ(scores_path(), "");
    setenv("SKYVOLTA_SCOREFILE", path.c_str(), 1);
    scores_path_from_environment();
    EXPECT_EQ(scores_path(), path);
    unsetenv("SKYVOLTA_SCOREFILE");
    headless = was_headless;
}

TEST_F(ScoresFileTest, WriteHookSavesOnlyForWritesThatMeetTheTable) {
    struct write_case {
        int64_t address;
        int32_t count;
        bool saves;
    };
    const write_case cases[] = {
        {WRAM_BASE + 0x402F, 1, false}, {WRAM_BASE + 0x402F, 2, true}, {WRAM_BASE + 0x4030, 1, true},
        {WRAM_BASE + 0x40A8, 1, true},  {WRAM_BASE + 0x40A9, 4, false}, {WRAM_BASE + 0x4030, 0, false},
        {WRAM_BASE + 0x3FE0, 2, false}, {0x4050, 1, true},               {0x3FF0, 1, false},
        {0x4030, -5, false},            {0x00004030 | 0x1000000, 1, false},
    };
    init_and_load();
    int32_t value = 1;
    for (const write_case& c : cases) {
        w_cell_set(W_SCORE_TABLE, value++);
        testing::internal::CaptureStderr();
        scores_write_hook(c.address, c.count);
        EXPECT_EQ(count_of(testing::internal::GetCapturedStderr(), "[SCORES] saved"), c.saves ? 1 : 0)
            << std::hex << c.address << " " << std::dec << c.count;
    }
}

}  // namespace
