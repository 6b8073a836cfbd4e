#include "game/modes/ending_portrait.h"

#include "base/host_hooks.h"
#include "base/run_flags.h"
#include "board/display_list.h"
#include "board/dspram.h"
#include "board/fixed_math.h"
#include "board/game_state_ram.h"
#include "board/palette_mixer.h"
#include "board/rig_packets.h"
#include "board/text_print.h"
#include "board/wram.h"
#include "board/wram_cell.h"
#include "game/modes/ending_landing.h"
#include "game/modes/ending_phases.h"
#include "game/modes/ending_ram.h"
#include "game/modes/ending_views.h"
#include "game/services/camera_ram.h"
#include "game/services/flight_ram.h"
#include "game/services/object_ram.h"
#include "game/services/rig_ram.h"
#include "game/services/rom_table.h"
#include "game/services/run_ram.h"
#include "game/services/sound_commands.h"
#include "game/world/camera.h"
#include "game/world/goal_sequence.h"
#include "game/world/object_emitters.h"
#include "game/world/player_rig.h"
#include "game/world/stage_ram.h"
#include "game/world/stage_start.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int32_t PORTRAIT_FIRST = 5355, PORTRAIT_LAST = 6074;
constexpr int32_t BAD_FIRST = 6075, BAD_LAST = 6794;
constexpr int32_t STATE_GAMEPLAY = 3;
constexpr int32_t FADE_FULL = 255;

enum { PX, PY, PZ, PPITCH, PHEADING, PROLL };

// ---- Portrait -----------------------------------------------------------------------

constexpr uint32_t ROM_PORTRAIT_CAMERA = 0x383F8;  // seven longs; +4 y, +12 pitch
constexpr uint32_t ROM_PORTRAIT_TURN_TO = 0x38404;
constexpr uint32_t ROM_FOURTH_POSE = 0x38420;      // six longs into the fourth block from +36
constexpr uint32_t ROM_SPRING_TARGET = 0x38438;
constexpr uint32_t ROM_PORTRAIT_LIST = 0x38414;
constexpr uint32_t NODE_BYTES = 128;
constexpr uint32_t NODE_POSITION = 0x24, NODE_ANGLES = 0x30;
constexpr uint32_t HEAD_NODE = 13 * NODE_BYTES;

// The portrait's longs in the ending's scratch (W_ENDING_SCRATCH + field); the spring
// velocity is the first long of W_ANCHOR_A, which the landing has done with.
constexpr uint32_t PORTRAIT_SCRATCH_C = 8;   // starts at 0x1E0000
constexpr uint32_t PORTRAIT_SCRATCH_E = 16;  // starts at 0
constexpr uint32_t PORTRAIT_SCALE = 20;
constexpr int32_t HOP_FIRST = 5495, HOP_LAST = 5584;
constexpr int32_t EXPRESSION_SWAP_FIRST = 5745, EXPRESSION_SWAP_LAST = 5804;

enum { BLOCK_A, BLOCK_B, BLOCK_C, BLOCK_D };

// Fixed node words written once (block, byte offset, value).
struct node_word {
    int block;
    uint32_t offset;
    int32_t value;
};
constexpr node_word PORTRAIT_WORDS[] = {
    {BLOCK_B, 944, 4096},    {BLOCK_B, 1328, 4096},  {BLOCK_B, 952, 3584},     {BLOCK_B, 1336, -3584},
    {BLOCK_B, 1072, 3328},   {BLOCK_B, 1456, 3328},  {BLOCK_B, 1076, -1280},   {BLOCK_B, 1460, 1280},
    {BLOCK_B, 1204, 2816},   {BLOCK_B, 1588, -2816}, {BLOCK_B, 1716, 4352},    {BLOCK_A, 1844, -2816},
    {BLOCK_C, 1072, -2048},  {BLOCK_C, 1456, -2048}, {BLOCK_C, 1076, 0xF600},  {BLOCK_C, 1460, -0xF600},
    {BLOCK_C, 1080, -512},   {BLOCK_C, 1464, 512},   {BLOCK_C, 1200, 14080},   {BLOCK_C, 1584, 14080},
    {BLOCK_C, 1204, 53760},  {BLOCK_C, 1588, -53760},
};

// The caption's tile blocks, their tiles and the palette.
constexpr int32_t CAPTION_BLOCKS[3] = {97, 106, 96};
constexpr int32_t CAPTION_TILES[3] = {416, 420, 424};
constexpr int32_t CAPTION_PALETTE = 5;

bool in_wram(uint32_t address) {
    return address >= WRAM_BASE && address - WRAM_BASE <= WRAM_SIZE - 4;
}
// A long of a node block; anything outside work RAM reads 0 and is not written.
int32_t node_long(uint32_t address) {
    return in_wram(address) ? w_read32(address) : 0;
}
void node_long_set(uint32_t address, int32_t v) {
    if (in_wram(address)) w_write32(address, v);
}

uint32_t block(int k) {
    return uint32_t(k == BLOCK_D ? wram_long(W_SWEEP_OBJECT) : wram_long(W_PORTRAIT_NODES + 4 * uint32_t(k)));
}
void position_of(uint32_t b, int32_t out[3]) {
    for (uint32_t i = 0; i < 3; i++) out[i] = node_long(b + NODE_POSITION + 4 * i);
}

void longs_copy(uint32_t address, uint32_t rom, uint32_t count) {
    for (uint32_t k = 0; k < count; k++) node_long_set(address + 4 * k, bus_read32(rom + 4 * k));
}

// The four node blocks, one after another from W 0xAB04, each list bounded by the
// loader to the work-RAM image.
void portrait_blocks_load() {
    uint32_t at = WRAM_BASE + W_RIG_NODES;
    uint32_t blocks[4];
    for (int k = 0; k < 4; k++) {
        blocks[k] = at;
        at = rom_object_list_load(at, int64_t(uint32_t(bus_read32(ROM_PORTRAIT_LISTS[k]))));
        if (!in_wram(at)) at = blocks[k];
    }
    for (uint32_t k = 0; k < 3; k++) wram_long_set(W_PORTRAIT_NODES + 4 * k, int32_t(blocks[k]));
    wram_long_set(W_SWEEP_OBJECT, int32_t(blocks[BLOCK_D]));
}

void portrait_start() {
    w_word_set(W_OBJECT_LIST_VIEW, 3);
    w_word_set(W_VIEW_NUMBER, 2);
    portrait_blocks_load();
    for (const node_word& w : PORTRAIT_WORDS) node_long_set(block(w.block) + w.offset, w.value);
    longs_copy(block(BLOCK_D) + 36, ROM_FOURTH_POSE, 6);
    longs_copy(WRAM_BASE + W_ENDING_OBJECT, ROM_PORTRAIT_CAMERA, 7);
    for (uint32_t s : W_SPRINGS)
        for (uint32_t k = 0; k < 3; k++) wram_long_set(s + 4 * k, 0);
    for (uint32_t w : {W_ANCHOR_A, W_HOP_V, W_HOP_HEIGHT, W_PORTRAIT_AIM_FORCE, W_ENDING_SCRATCH + PORTRAIT_SCRATCH_E,
                       W_ENDING_SCRATCH + PORTRAIT_SCALE})
        wram_long_set(w, 0);
    for (uint32_t k = 0; k < 6; k++) wram_long_set(W_LIMB_V + 4 * k, 0);
    wram_long_set(W_LIMB_V + 4, 2048);
    wram_long_set(W_LIMB_V + 8, 4096);
    ending_scratch_set(PORTRAIT_SCRATCH_C, 0x1E0000);
    ending_scratch_set(PORTRAIT_SCALE, 0x20000);
    fade_colour_set(FADE_FULL);
    w_cell_set(W_FADE_AMOUNT, 0);
}

void caption_step(int32_t c) {
    if (c >= 5391 && c <= 5393) cgram_load_tile_block(CAPTION_BLOCKS[c - 5391], CAPTION_TILES[c - 5391]);
    if (c == 5394) palette_bank_load(CAPTION_BLOCKS[0], CAPTION_PALETTE);
    if (c == CAPTION_COUNTER)
        for (int k = 0; k < 3; k++)
            text_block_draw(CAPTION_BLOCKS[k], CAPTION_COLUMNS[k], CAPTION_ROW, CAPTION_TILES[k], CAPTION_PALETTE);
}

// Eyes, mouths and nods: model words of the three portrait models.
void expression_step(int32_t t, int32_t c) {
    uint32_t a = block(BLOCK_A), b = block(BLOCK_B), n = block(BLOCK_C);
    int32_t mouth = 994, eye = 991;
    if (t < 120) {
        mouth = (t & 0x3C) == 4 ? 992 : 994;
        eye = ((c + 13) & 0x3F) < 8 ? 997 : 985;  // a blink of 8 frames in every 64
    } else if (t < 450) {
        mouth = 986;
        eye = 985;
    }
    node_long_set(a + 1920, mouth);
    node_long_set(a + 1792, eye);

    int32_t face = 1066;
    if (t <= 29)
        face = 1072;
    else if (t <= 180)
        face = math_cos(linear_map(0, 0x20000, 30, 180, t)) < -7 ? 1074 : 1072;  // the nod
    else if ((c >= EXPRESSION_SWAP_FIRST && c <= EXPRESSION_SWAP_LAST) || (t & 0x3C) == 12)
        face = 1074;
    node_long_set(n + 1920, face);

    node_long_set(b + 1792, (t & 0x3C) == 24 ? 1023 : 1017);
    if (t >= 480) node_long_set(b + 1664, 1022);
}

void motion_step(int32_t t, int32_t c) {
    uint32_t blocks[4];
    int32_t pos[4][3];
    for (int k = 0; k < 4; k++) {
        blocks[k] = block(k);
        position_of(blocks[k], pos[k]);
    }
    // The heads turn to one another; the fourth model looks at the third.
    portrait_aim_spring(blocks[BLOCK_A] + NODE_POSITION, blocks[BLOCK_A] + HEAD_NODE + NODE_ANGLES, WRAM_BASE + W_SPRINGS[0],
                        pos[BLOCK_B], 590, 0, 0);
    portrait_aim_spring(blocks[BLOCK_B] + NODE_POSITION, blocks[BLOCK_B] + HEAD_NODE + NODE_ANGLES, WRAM_BASE + W_SPRINGS[1],
                        pos[BLOCK_A], 566, 0, 0);
    portrait_aim_spring(blocks[BLOCK_C] + NODE_POSITION, blocks[BLOCK_C] + HEAD_NODE + NODE_ANGLES, WRAM_BASE + W_SPRINGS[3],
                        pos[BLOCK_A], 635, 0, 0);
    portrait_aim_spring(blocks[BLOCK_D] + NODE_POSITION, blocks[BLOCK_D] + NODE_ANGLES, WRAM_BASE + W_SPRINGS[2],
                        pos[BLOCK_C], 569, 0x800, 0);
    portrait_limb_solve(blocks[BLOCK_D], wram_long(W_PORTRAIT_AIM_FORCE));

    // The fourth model's pitch springs toward the ROM's value, kicked until t = 309.
    uint32_t pitch = blocks[BLOCK_D] + NODE_ANGLES;
    int32_t v = wram_long(W_ANCHOR_A);
    v = wrap_sub(wrap_add(v, wrap_mul(8, bus_read32(ROM_SPRING_TARGET))), wrap_add(v / 4, wrap_mul(8, node_long(pitch))));
    if (t <= 309) v = wrap_add(v, 1024);
    wram_long_set(W_ANCHOR_A, v);
    node_long_set(pitch, wrap_add(node_long(pitch), v >> 9));

    if (c >= HOP_FIRST && c <= HOP_LAST) {  // the second model hops
        int32_t h = wram_long(W_HOP_HEIGHT), hv = wram_long(W_HOP_V);
        hv = wrap_sub(wrap_sub(wrap_add(hv, 0x18000), wrap_mul(16, h)), hv / 2);
        wram_long_set(W_HOP_V, hv);
        wram_long_set(W_HOP_HEIGHT, wrap_add(h, hv >> 9));
        uint32_t y = blocks[BLOCK_B] + NODE_POSITION + 4;
        node_long_set(y, wrap_add(node_long(y), hv >> 9));
    }
    int32_t lift = bus_read32(ROM_FOURTH_POSE + 4);
    if (t >= 30 && t <= 150)
        node_long_set(blocks[BLOCK_C] + NODE_POSITION + 4, linear_map(wrap_add(lift, 4096), lift, 30, 150, t));
    if (t >= 120 && t <= 150)
        for (uint32_t offset : {1080u, 1464u}) node_long_set(blocks[BLOCK_C] + offset, linear_map(-6144, 0, 120, 150, t));

    uint32_t head = blocks[BLOCK_C] + HEAD_NODE;
    if (in_wram(head)) {
        const int32_t target[3] = {pos[BLOCK_B][0], wrap_add(pos[BLOCK_B][1], 650), pos[BLOCK_B][2]};
        countdown_node_aim(head - WRAM_BASE, target, 472, 356, 350490, 336925);
    }
    ending_scratch_set(PORTRAIT_SCALE, std::max(0, wrap_sub(ending_scratch(PORTRAIT_SCALE), 192)));
}

void portrait_log(int32_t t, int32_t c, bool changed) {
    if (!verbose_enabled()) return;
    if (t % 60 == 0 || changed) {
        long cursor = long(dl_cursor_get() - reinterpret_cast<int32_t*>(dspram));
        printf("[END9] c=%d ctr=%d phase=%d fade=%d n3=%06X n4=%06X n7=%06X n5=%06X cursor+%ld\n", t, c,
               int(uint32_t(wram_long(W_ENDING_MODE)) >> 16), w_cell(W_FADE_AMOUNT), block(BLOCK_A), block(BLOCK_B),
               block(BLOCK_C), block(BLOCK_D), cursor);
    }
    if (c == 5399 || c == 5699 || c == 5999 || c == 6069) {
        auto w = [](uint32_t a) { return wram_long(a); };
        printf("[END9S] c=%d pend=%d,%d,%d,%d,%d,%d spr=%d,%d,%d,%d,%d v=%d,%d,%d\n", t, w(W_LIMB_V), w(W_LIMB_V + 4),
               w(W_LIMB_V + 8), w(W_LIMB_ACC), w(W_LIMB_ACC + 4), w(W_LIMB_ACC + 8), w(W_ENDING_SCRATCH + 4),
               w(W_ENDING_SCRATCH + 8), w(W_ENDING_SCRATCH + 12), w(W_ENDING_SCRATCH + 16), w(W_ENDING_SCRATCH + 20),
               w(W_ANCHOR_A), w(W_HOP_V), w(W_HOP_HEIGHT));
    }
}

// The jump to the END card on a scene's last frame in gameplay.
bool end_card_jump(int32_t last) {
    if (ending_counter_now() != last || wram_long(W_GAME_STATE) != STATE_GAMEPLAY) return false;
    ending_phase_set(11, RE_ENTER_LAST);
    return true;
}

// ---- Bad ending ---------------------------------------------------------------------

constexpr uint32_t ROM_BAD_CAMERA = 0x38460;
constexpr uint32_t ROM_BAD_ANCHOR = 0x37AA4;  // the scene lists' anchor record
constexpr uint32_t ROM_BAD_X = 0x3847C, ROM_BAD_Y = 0x38480, ROM_BAD_Z = 0x38484, ROM_BAD_RADIUS = 0x38488,
                   ROM_BAD_RATE = 0x3848C;
constexpr rom_table ROM_HITS = {0x38490, 10, 256};   // frame, spin, angle, debris angle, lift (words)
constexpr rom_table ROM_BAD_EVENTS = {0x384B0, 4, 256};  // frame, event record (words)
constexpr int32_t SOUND_START = 86, SOUND_BURST = 44, SOUND_WIND = 45, SOUND_HIT = 46, SOUND_FALL = 47;
constexpr int32_t FLASH_MODEL = 558, DEBRIS_MODEL = 541;
constexpr int32_t BURST_FIRST = 6235, BURST_LAST = 6248, FALL_FLASH_FIRST = 6255, FALL_FLASH_LAST = 6322;
constexpr int32_t THROW_AT = 240, FALL_AT = 420, FALL_SOUND_RISE = 464, FADE_OUT_AT = 592;
constexpr int32_t FLASH_EVENT = 7;
constexpr int32_t FADE_HOLD_STEP = 0x20;

enum { SPIN = 0, COUNT_UP = 4, FLASH_ANGLE = 8, FLASH_FRAMES = 12, DEBRIS_ANGLE = 16, DEBRIS_LEFT = 20, LIFT = 24 };

void pose_add(uint32_t field, int32_t d) {
    ending_pose_set(field, wrap_add(ending_pose(field), d));
}
void player_add(uint32_t field, int32_t d) {
    wram_long_set(W_PLAYER_X + 4 * field, wrap_add(wram_long(W_PLAYER_X + 4 * field), d));
}
int32_t camera(uint32_t field) {
    return wram_long(W_CAMERA_X + 4 * field);
}

void bad_start() {
    sound_play(SOUND_START);
    wram_long_set(W_VIEW_CENTRE, 240);
    for (uint32_t offset : {0u, 4u, 12u, 20u, 24u}) ending_object_set(offset, 0);
    w_word_set(W_ENDING_ZOOM, 0x780);
    w_word_set(W_VIEW_WIDTH, 0x140);
    w_word_set(W_OBJECT_MODE, 0);
    int32_t radius = bus_read32(ROM_BAD_RADIUS), rate = bus_read32(ROM_BAD_RATE);
    ending_pose_set(PX, bus_read32(ROM_BAD_X));
    ending_pose_set(PY, bus_read32(ROM_BAD_Y));
    ending_pose_set(PZ, wrap_add(bus_read32(ROM_BAD_Z), radius));
    ending_pose_set(PPITCH, 0);
    ending_pose_set(PHEADING, 0);
    int32_t lean = 11699789;  // each division only when its divisor is non-zero
    if (rate != 0) lean = wrap_div(wrap_div(lean, rate), rate);
    ending_pose_set(PROLL, wrap_neg(math_atan2(wrap_mul(39, radius), lean)));
    ending_player_from_pose();
    ending_camera_record_load(ROM_BAD_CAMERA, true);
}

void bad_circle(int32_t t) {
    int32_t angle = wrap_mul(t, bus_read32(ROM_BAD_RATE));
    int32_t r = bus_read32(ROM_BAD_RADIUS) >> 3;
    ending_pose_set(PX, wrap_add(bus_read32(ROM_BAD_X), wrap_mul(math_sin(angle), r) >> 12));
    ending_pose_set(PZ, wrap_add(bus_read32(ROM_BAD_Z), wrap_mul(math_cos(angle), r) >> 12));
    ending_pose_set(PY, bus_read32(ROM_BAD_Y));
    ending_pose_set(PHEADING, angle);
    if (t < 180) {
        ending_camera_record_load(ROM_BAD_CAMERA, true);
        return;
    }
    const int32_t eye[4] = {linear_map(25616, -512, 180, 240, t), wrap_neg(linear_map(20480, -256, 180, 240, t)),
                            wrap_neg(linear_map(0x10000, 6144, 180, 240, t)), -3640};
    camera_follow_model(ending_counter_now() == BAD_FIRST + 180 ? 0 : 3, w_pointer(eye));
}

// Thrown off: a fall under a constant pull, spinning down to rest.
void bad_throw() {
    pose_add(PY, ending_object(LIFT) / 256);
    ending_object_set(LIFT, wrap_sub(ending_object(LIFT), 4800));
    int32_t spin = ending_object(SPIN);
    pose_add(PHEADING, wrap_mul(2, spin));
    pose_add(PPITCH, spin);
    pose_add(PROLL, spin);
    ending_object_set(SPIN, spin > 0 ? std::max(0, spin - 33) : std::min(0, spin + 31));
    for (uint32_t k = 0; k < 6; k++) wram_long_set(W_PLAYER_X + 4 * k, ending_pose(k));
}

void bad_fall(int32_t t) {
    pose_add(PHEADING, 64);
    pose_add(PROLL, 256);
    player_add(PHEADING, 64);
    player_add(PROLL, 256);
    if (t == FALL_AT) {
        ending_pose_set(PROLL, -0x3000);
        ending_pose_set(PY, 0x30000);
        wram_long_set(W_PLAYER_ROLL, -0x3000);
        wram_long_set(W_PLAYER_Y, 0x30000);
        int32_t band = wram_long(W_BAND_HEIGHT);
        const uint32_t scenery[3] = {0xB434, 0xB5B4, 0xB034};
        const int32_t moves[3] = {wrap_add(band, 5632), wrap_add(band, 7168), wrap_sub(wram_long(W_BAND_HEIGHT + 8), 8192)};
        for (int k = 0; k < 3; k++) wram_long_set(scenery[k], wrap_add(wram_long(scenery[k]), moves[k]));
        sound_play_p2val(SOUND_FALL, 30);
    }
    // The camera straight down on the falling player.
    wram_long_set(W_CAMERA_X, wram_long(W_PLAYER_X));
    wram_long_set(W_CAMERA_Z, wram_long(W_PLAYER_Z));
    wram_long_set(W_CAMERA_Y, wrap_add(wram_long(W_PLAYER_Y), linear_map(1280, 0x3000, 420, 720, t)));
    wram_long_set(W_CAMERA_PITCH, -0x4000);
    wram_long_set(W_CAMERA_ROLL, 0);
    wram_long_set(W_CAMERA_HEADING, wrap_mul(-2, ending_pose(PHEADING)));
    if (t >= FALL_SOUND_RISE) sound_param2_set(SOUND_FALL, ((225 * t - 104400) >> 8) + 30);
    if (t == FADE_OUT_AT) {
        w_cell_set(W_FADE_AMOUNT, 1);
        w_word_set(W_FADE_STEP, -2);
    }
}

void bad_lists(int32_t t) {
    for (int32_t k = 0; k < int32_t(ROM_BAD_EVENTS.count); k++) {
        int32_t frame = rom_table_word(ROM_BAD_EVENTS, k, 0);
        if (frame <= 0) break;
        if (frame != t) continue;
        event_record_load(rom_table_word(ROM_BAD_EVENTS, k, 2));
        w_word_set(W_FADE_STEP, 1);
    }
    for (int32_t k = 0; k < int32_t(ROM_HITS.count); k++) {
        int32_t frame = rom_table_word(ROM_HITS, k, 0);
        if (frame <= 0) break;
        if (frame != t) continue;
        sound_play(SOUND_HIT);
        event_record_load(FLASH_EVENT);
        w_word_set(W_FADE_STEP, 4);
        player_model_load_animation(1);
        ending_object_set(SPIN, rom_table_word(ROM_HITS, k, 2));
        ending_object_set(COUNT_UP, 0);
        if (k > 0) {
            ending_object_set(FLASH_FRAMES, 16);
            ending_object_set(FLASH_ANGLE, rom_table_word(ROM_HITS, k, 4));
        }
        ending_object_set(DEBRIS_LEFT, DEBRIS_FRAMES);
        ending_object_set(DEBRIS_ANGLE, rom_table_word(ROM_HITS, k, 6));
        ending_object_set(LIFT, wrap_shl(rom_table_word(ROM_HITS, k, 8), 8));
    }
}

// A flash model under its own 0x8001 header: 11 words with one turned pair.
void flash_entry(int32_t c, int32_t x, int32_t y, int32_t z, int32_t angle) {
    int32_t words[13] = {DL_HEADER_11_HUD, dl_header_prio(), ((c + 5) & 15) + FLASH_MODEL, x, y, z, 0, 0x7FFF};
    dl_rotation_pair(angle, words + 8);
    words[10] = 0;
    words[11] = 0x7FFF;
    words[12] = 4;
    dl_emit(words, 13);
    wram_long_set(W_DL_LAST_HEADER, DL_HEADER_11_HUD);
}

// The burst of flashes in its own bank.
void bad_burst(int32_t c) {
    const int32_t open[6] = {DL_HEADER_11_HUD, dl_header_prio(), DL_LINK, 3,
                             wrap_sub(wram_long(W_GOAL_DEBUG_REPEAT), 96768), DL_END};
    dl_emit(open, 6);
    int32_t words[11] = {((c + 5) & 15) + FLASH_MODEL, wrap_sub(wram_long(W_BAND_HEIGHT), 2048),
                         wrap_add(wram_long(W_BAND_HEIGHT + 4), 0x3A00), wrap_add(wram_long(W_BAND_HEIGHT + 8), 0x26000),
                         0, 0x7FFF};
    dl_rotation_pair(0x900, words + 6);
    words[8] = 0;
    words[9] = 0x7FFF;
    words[10] = 4;
    dl_emit(words, 11);
    dl_bank_end();
    wram_long_set(W_DL_LAST_HEADER, DL_HEADER_11_HUD);
}

// A quarter of the sine-table long at address: the word's two low neighbour bits on top.
int32_t quarter_word(uint32_t address) {
    return int16_t(uint32_t(bus_read32(address) >> 2));
}

// The debris round the player while its frames last: up to six of the ring's pieces.
void bad_debris() {
    int32_t left = ending_object(DEBRIS_LEFT);
    if (left <= 0) return;
    dl_header_8002();
    int32_t a1 = (0x8000 - camera(PPITCH)) & 0xFFFC;
    int32_t rel[3];
    for (uint32_t k = 0; k < 3; k++) rel[k] = wrap_sub(wram_long(W_PLAYER_X + 4 * k), camera(k));
    for (int32_t index = 0; index <= 15; index += 3) {
        int32_t d = left - index;
        if (d < 0 || d > 4) continue;
        int32_t a2 = wrap_sub(wrap_add(ending_object(DEBRIS_ANGLE), index * 8192), camera(PHEADING)) & 0xFFFC;
        const int32_t words[11] = {DEBRIS_MODEL + index - left,
                                   rel[0],
                                   rel[1],
                                   rel[2],
                                   quarter_word(SINE_TABLE - 2 + uint32_t(a1)),
                                   quarter_word(SINE_TABLE + uint32_t(a1)),
                                   quarter_word(SINE_TABLE - 2 + uint32_t(a2)),
                                   quarter_word(SINE_TABLE + uint32_t(a2)),
                                   0,
                                   8191,
                                   4};
        dl_emit(words, 11);
    }
    ending_object_set(DEBRIS_LEFT, left - 1);
}

void bad_flashes(int32_t t, int32_t c) {
    if (c >= FALL_FLASH_FIRST && c <= FALL_FLASH_LAST) {
        int32_t a = linear_map(0xC000, 0, 180, 240, t), n = (t - 180) / 16 + 1;
        int32_t x = math_cos(a) / n;
        flash_entry(c, wrap_neg(x), x, 0x18000, 0xA100);
    }
    if (ending_object(FLASH_FRAMES) > 0) {
        flash_entry(c, 0, 0, 0x18000, ending_object(FLASH_ANGLE));
        ending_object_set(FLASH_FRAMES, ending_object(FLASH_FRAMES) - 1);
    }
}

void bad_model(int32_t t) {
    if (t < THROW_AT) {
        ending_model_rig_step();
    } else {
        player_model_set_pose();
        ending_object_set(COUNT_UP, wrap_add(ending_object(COUNT_UP), 1));
        if (ending_object(COUNT_UP) >= 32)
            player_rig_node_words();
        else
            player_animation_state_update();
        if (t >= FALL_AT) camera_dsp_sky_render();
    }
}

}  // namespace

void portrait_aim_spring(uint32_t node, uint32_t angle, uint32_t state, const int32_t target[3], int32_t height,
                         int32_t bias, int32_t extra) {
    int32_t dx = wrap_sub(target[0], node_long(node)), dz = wrap_sub(target[2], node_long(node + 8));
    int32_t h = math_atan2(dx, dz);
    int32_t c = math_cos(h) >> 3;
    int32_t d = c != 0 ? wrap_div(wrap_shl(dz, 12), c) : 0;
    int32_t elevation = math_atan2(wrap_sub(wrap_sub(target[1], height), node_long(node + 4)), d);
    int32_t wanted = extra - elevation;
    if (wanted < -0x8000) wanted += 0x10000;
    int32_t s = node_long(state), a = node_long(angle);
    s = wrap_add(s, wrap_sub(wrap_shl(wrap_sub(wanted, a), 4), s / 2));
    node_long_set(state, s);
    node_long_set(angle, wrap_add(a, s >> 9));

    int32_t turn = 0x8000 - bias - h;
    if (turn < -0x8000) turn += 0x10000;
    int32_t s2 = node_long(state + 4), a2 = node_long(angle + 4);
    int32_t force = wrap_sub(wrap_shl(wrap_sub(turn, a2), 4), s2 / 2);
    s2 = wrap_add(s2, force);
    node_long_set(state + 4, s2);
    node_long_set(angle + 4, wrap_add(a2, s2 >> 9));
    wram_long_set(W_PORTRAIT_AIM_FORCE, force);
}

void portrait_limb_solve(uint32_t limb, int32_t drive) {
    constexpr int32_t LENGTHS[3] = {70, 78, 75};
    constexpr int32_t FLOORS[2] = {0xB0000, 0x118000};
    node_long_set(limb + 48, wrap_sub(node_long(block(BLOCK_B) + 1712), 5898));
    auto joint = [limb](uint32_t j) { return limb + (j + 1) * NODE_BYTES + NODE_ANGLES; };
    auto v = [](uint32_t j) { return W_LIMB_V + 4 * j; };
    auto acc = [](uint32_t j) { return W_LIMB_ACC + 4 * j; };

    // The first joint swings under the drive and the pull, damped by 1/18 of its speed.
    int32_t theta0 = node_long(joint(0));
    int32_t pull = wrap_div(wrap_mul(math_sin(theta0) >> 3, 10430 * LENGTHS[0] >> 4), 448490 >> 4);
    wram_long_set(acc(0), wrap_sub(wrap_sub(drive, pull), wram_long(v(0)) / 18));
    for (uint32_t j = 0; j < 3; j++) {
        wram_long_set(v(j), wrap_add(wram_long(v(j)), wram_long(acc(j))));
        node_long_set(joint(j), wrap_add(node_long(joint(j)), wram_long(v(j)) / 16));
    }

    // Joint by joint, a segment whose end would pass its floor rests on it.
    int32_t y = node_long(limb + NODE_POSITION + 4), sum = 0;
    for (uint32_t j = 0; j < 2; j++) {
        int32_t length = LENGTHS[j] << 12;
        int32_t angle = node_long(joint(j));
        int32_t end = wrap_sub(y, int32_t((int64_t(length) * math_sin(wrap_add(sum, angle))) >> 15));
        if (end < FLOORS[j]) {
            int32_t height = wrap_sub(y, FLOORS[j]);
            int32_t rest = height < length ? 0x4000 - math_slope_angle(height, length) : -0x4000;
            int32_t now = wrap_sub(rest, sum);
            int32_t old_v = wram_long(v(j));
            int32_t new_v = wrap_mul(16, wrap_add(old_v / 16, wrap_sub(now, angle)));
            wram_long_set(v(j), new_v);
            wram_long_set(acc(j), wrap_add(wram_long(acc(j)), wrap_sub(new_v, old_v)));
            node_long_set(joint(j), now);
            angle = now;
        }
        sum = wrap_add(sum, angle);
        y = wrap_sub(y, int32_t((int64_t(length) * math_sin(sum)) >> 15));
    }
}

void ending_portrait() {
    int32_t t = ending_scene_frame(PORTRAIT_FIRST), c = ending_counter_now();
    if (t == 0) portrait_start();
    if (t >= 45 && t <= 95) w_word_set(W_VIEW_CENTRE, linear_map(0, 128, 45, 95, t));
    caption_step(c);
    expression_step(t, c);
    motion_step(t, c);

    if (t >= 480) {
        wram_long_set(W_ENDING_OBJECT + 12, linear_map(bus_read32(ROM_PORTRAIT_TURN_TO), 0x4000, 480, 720, t));
        int32_t y = bus_read32(ROM_PORTRAIT_CAMERA + 4);
        wram_long_set(W_ENDING_OBJECT + 4, linear_map(y, wrap_add(y, 1024), 480, 720, t));
    }
    ending_camera_record_load(WRAM_BASE + W_ENDING_OBJECT, true);
    object_list_emit();
    ending_bank_marker();
    dl_copy_packets(ROM_PORTRAIT_LIST, ROM_SCENE_ANCHOR);
    if (t >= 688) w_cell_set(W_FADE_AMOUNT, std::min(FADE_FULL, w_cell(W_FADE_AMOUNT) + 8));  // 32 frames to white

    bool jumped = end_card_jump(PORTRAIT_LAST);
    portrait_log(t, c, jumped);
}

void ending_bad_ending() {
    ending_fade_run(FADE_HOLD_STEP, FADE_FULL);
    wram_long_set(W_WING_SET, 1);
    int32_t t = ending_scene_frame(BAD_FIRST), c = ending_counter_now();
    if (t == 0) bad_start();
    if (t >= 1 && t < THROW_AT) bad_circle(t);
    if (t >= THROW_AT && t < FALL_AT) bad_throw();
    if (t >= FALL_AT) bad_fall(t);
    ending_camera_sway();

    bad_lists(t);
    w_word_set(W_OBJECT_MODE, w_word(W_OBJECT_MODE) & ~2);
    ending_heading_words_set();
    if (c == BURST_FIRST)
        sound_play(SOUND_BURST);
    else if (t <= 159)
        sound_play_throttled(SOUND_WIND);

    if (c >= BURST_FIRST && c <= BURST_LAST) bad_burst(c);
    bad_debris();
    bad_flashes(t, c);
    ending_models_emit(ROM_BAD_ANCHOR, true);
    bad_model(t);
    end_card_jump(BAD_LAST);
    ending_badcam_dump(t);
}
