// libFuzzer target: any bytes as the scores file. A rejected image must leave work RAM
// as it was; an accepted one must give a list that the rankings walk and insert into
// without leaving their tables.
#include "board/rankings.h"
#include "board/scores_file.h"
#include "board/wram.h"
#include "board/wram_cell.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t SCORE_END = W_SCORE_HEAD + 1;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int64_t before[SCORE_END - W_SCORE_TABLE];
    for (uint32_t x = W_SCORE_TABLE; x < SCORE_END; x++) wram[x] = int64_t(x) * 77;
    memcpy(before, wram + W_SCORE_TABLE, sizeof before);

    if (!scores_image_apply(data, size)) {
        if (memcmp(before, wram + W_SCORE_TABLE, sizeof before) != 0) abort();
        return 0;
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
    return 0;
}
