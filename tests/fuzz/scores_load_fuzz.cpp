// libFuzzer target: any bytes as the scores file, checked as an image and loaded and saved
// through a scratch folder. A rejected image must leave work RAM as it was; an accepted
// one must give a list that the rankings walk and insert into without leaving their
// tables; a save must leave the file holding exactly the table's bytes.
#include "board/rankings.h"
#include "board/scores_file.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "tests/fuzz/fuzz_scratch.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace {

constexpr uint32_t SCORE_END = W_SCORE_HEAD + 1;

void image_check(const uint8_t* data, size_t size) {
    static int64_t before[SCORE_END - W_SCORE_TABLE];
    for (uint32_t x = W_SCORE_TABLE; x < SCORE_END; x++) wram[x] = int64_t(x) * 77;
    memcpy(before, wram + W_SCORE_TABLE, sizeof before);

    if (!scores_image_apply(data, size)) {
        if (memcmp(before, wram + W_SCORE_TABLE, sizeof before) != 0) abort();
        return;
    }
    // Accepted: the walk of ten from the head meets every record once.
    bool seen[SCORE_RECORDS] = {};
    unsigned e = w_cell_byte(W_SCORE_HEAD);
    for (int k = 0; k < SCORE_RECORDS; k++) {
        if (e >= SCORE_RECORDS || seen[e]) abort();
        seen[e] = true;
        e = w_cell_byte(W_SCORE_TABLE + 8 * e + 7);
    }
    // The multi-stage table takes it over and receives a score from the input.
    ranking_tables_reset();
    w_write16(WA_GAME_MODE, 1);
    const uint8_t initials[3] = {1, 2, 3};
    int32_t value = int32_t(uint32_t(data[8]) << 16 | uint32_t(data[9]) << 8 | data[10]);
    if (ranking_position_find(3, value) > 0) ranking_insert_entry(3, value, initials);
    w_write16(WA_GAME_MODE, 0);
}

// The file written from the input, loaded, a score changed and saved. Inputs longer than
// the image also try the failing saves: a folder in place of the temporary file, or of
// the file itself.
void file_round_trip(const uint8_t* data, size_t size) {
    int mode = size > SCORES_FILE_SIZE ? int(size % 3) : 0;
    if (mode == 2) {
        mkdir("scores.nv", 0755);
    } else {
        FILE* f = fopen("scores.nv", "wb");
        if (!f || fwrite(data, 1, size, f) != size || fclose(f) != 0) abort();
    }
    if (mode == 1) mkdir("scores.nv.tmp", 0755);

    for (uint32_t x = W_SCORE_TABLE; x < SCORE_END; x++) wram[x] = 0;
    // As the game does: initialisation holds saves and loads; a new score saves.
    scores_path_set("scores.nv");
    scores_saves_hold();
    scores_load();
    w_cell_set(W_SCORE_TABLE, int32_t(uint32_t(w_cell(W_SCORE_TABLE)) + 1));
    scores_write_hook(0xE00000 + W_SCORE_TABLE, 4);

    uint8_t table[SCORES_DATA_SIZE], image[SCORES_FILE_SIZE], file[SCORES_FILE_SIZE + 1];
    scores_data_gather(table);
    scores_image_build(table, image);
    FILE* f = mode == 0 ? fopen("scores.nv", "rb") : nullptr;
    if (f) {
        size_t n = fread(file, 1, sizeof file, f);
        fclose(f);
        if (n != SCORES_FILE_SIZE || memcmp(file, image, SCORES_FILE_SIZE) != 0) abort();
    }
    scores_path_set(nullptr);
    fuzz_folder_empty(".");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz_scratch_enter("scores_load_fuzz");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    image_check(data, size);
    file_round_trip(data, size);
    return 0;
}
